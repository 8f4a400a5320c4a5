#ifndef TAVELIN_CHECKER_CP1252_H
#define TAVELIN_CHECKER_CP1252_H

#include <string>

/* Code page 1252, the script's encoding on a French Windows: its bytes
   against UTF-8, and its capitals as Windows folds file names. */

/* The five bytes that name no character in code page 1252. */
bool Cp1252IsUndefined(unsigned char byte);

/* UTF-8 text of cp1252 bytes. The undefined bytes become the C1 controls of
   the same value, as the system's conversion gives them. */
std::string Cp1252ToUtf8(const std::string &bytes);

/* cp1252 bytes of UTF-8 text; false when the text is not UTF-8 or holds a
   character that code page 1252 lacks. */
bool Utf8ToCp1252(const std::string &text, std::string *bytes);

/* The capital of a cp1252 byte, as file names are compared on Windows. */
unsigned char Cp1252Upper(unsigned char byte);

/* The text in capitals: two names whose capitals are equal name one file. */
std::string Cp1252UpperText(const std::string &text);
void Cp1252AppendUpper(std::string *out, const std::string &text);

/* Whether two cp1252 names are equal but for capitals. */
bool Cp1252EqualNoCase(const std::string &a, const std::string &b);

/* Whether the text holds a multi-byte UTF-8 sequence, the sign of a script
   saved in UTF-8; the text from offset from on. */
bool Cp1252LooksUtf8(const std::string &bytes, size_t from = 0);

/* Whether the text from offset from on reads as UTF-8: every byte from 0x80
   on is part of a valid UTF-8 sequence, and one sequence at least is there.
   A text in code page 1252 with its accented letters almost never does. */
bool Cp1252ReadsAsUtf8(const std::string &bytes, size_t from = 0);

/* The length of the UTF-8 sequence at offset at, 0 when none starts there. */
size_t Cp1252Utf8Length(const std::string &bytes, size_t at);

/* The text in UTF-8 between double quotes, as the messages quote it. */
std::string Cp1252Quote(const std::string &bytes);

/* A name of the program's string table (UTF-8 in the sources) as the
   program loads it, in code page 1252. */
std::string Cp1252FromName(const char *utf8);

#endif
