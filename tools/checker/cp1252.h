#ifndef TAVELIN_CHECKER_CP1252_H
#define TAVELIN_CHECKER_CP1252_H

#include <string>

/* Code page 1252, the script's encoding on a French Windows. */

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

/* Whether two cp1252 names are equal but for capitals. */
bool Cp1252EqualNoCase(const std::string &a, const std::string &b);

/* Whether the text holds a multi-byte UTF-8 sequence, the sign of a script
   saved in UTF-8; the text from offset from on. */
bool Cp1252LooksUtf8(const std::string &bytes, size_t from = 0);

#endif
