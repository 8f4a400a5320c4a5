#include "tools/driver/internal.h"

#include <stdlib.h>

using namespace driver;

namespace {

struct Cursor {
    const std::string &line;
    size_t at = 0;

    void Blanks()
    {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
            at++;
    }
    bool AtEnd()
    {
        Blanks();
        return at >= line.size();
    }
    /* A bare word, or a quoted string where "" stands for one quote. */
    bool Word(std::string *out)
    {
        Blanks();
        out->clear();
        if (at >= line.size())
            return false;
        if (line[at] == '"') {
            at++;
            for (;;) {
                if (at >= line.size())
                    return false;
                if (line[at] == '"') {
                    if (at + 1 < line.size() && line[at + 1] == '"') {
                        *out += '"';
                        at += 2;
                        continue;
                    }
                    at++;
                    return true;
                }
                *out += line[at++];
            }
        }
        while (at < line.size() && line[at] != ' ' && line[at] != '\t')
            *out += line[at++];
        return true;
    }
    bool Number(int *out)
    {
        std::string word;
        if (!Word(&word) || word.empty())
            return false;
        char *end = nullptr;
        long value = strtol(word.c_str(), &end, 0);
        if (*end != '\0')
            return false;
        *out = (int)value;
        return true;
    }
    /* The rest of the line, unquoted if quoted. */
    bool Rest(std::string *out)
    {
        Blanks();
        if (at < line.size() && line[at] == '"')
            return Word(out) && AtEnd();
        *out = line.substr(at);
        while (!out->empty() && (out->back() == ' ' || out->back() == '\t'))
            out->pop_back();
        at = line.size();
        return !out->empty();
    }
};

}  // namespace

bool DriverParseScenario(const std::string &text, std::vector<DriverStep> *steps,
                         std::string *error)
{
    steps->clear();
    size_t start = 0;
    int number = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        number++;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (number == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0)
            line.erase(0, 3);

        Cursor cursor{ line };
        if (cursor.AtEnd() || line[cursor.at] == '#')
            continue;
        bool indented = line[0] == ' ' || line[0] == '\t';
        auto bad = [&](const std::string &why) {
            *error = Format("line %d: ", number) + why;
            return false;
        };

        std::string word;
        cursor.Word(&word);
        if (!indented) {
            if (word != "window")
                return bad("expected \"window\", found \"" + word + "\"");
            DriverStep step;
            if (!cursor.Word(&step.match))
                return bad("window: missing text");
            while (!cursor.AtEnd()) {
                cursor.Word(&word);
                if (word == "class") {
                    if (!cursor.Word(&step.className) || step.className.empty())
                        return bad("class: missing name");
                } else if (word == "control") {
                    if (!cursor.Word(&step.control) || step.control.empty())
                        return bad("control: missing text");
                } else if (word == "optional") {
                    step.optional = true;
                } else {
                    return bad("unknown word \"" + word + "\"");
                }
            }
            steps->push_back(step);
            continue;
        }

        if (steps->empty())
            return bad("an action before any window");
        DriverAction action;
        bool ok = true;
        if (word == "type") {
            action.kind = DriverAction::Type;
            ok = cursor.Number(&action.id) && cursor.Word(&action.text);
        } else if (word == "press") {
            action.kind = DriverAction::Press;
            ok = cursor.Number(&action.id);
        } else if (word == "escape") {
            action.kind = DriverAction::Escape;
        } else if (word == "enter") {
            action.kind = DriverAction::Enter;
        } else if (word == "close") {
            action.kind = DriverAction::Close;
        } else if (word == "wait-percent") {
            action.kind = DriverAction::WaitPercent;
            ok = cursor.Number(&action.id) && cursor.Number(&action.number);
        } else if (word == "wait-text") {
            action.kind = DriverAction::WaitText;
            ok = cursor.Number(&action.id) && cursor.Word(&action.text);
        } else if (word == "shot") {
            action.kind = DriverAction::Shot;
            ok = cursor.Rest(&action.text);
        } else if (word == "time-next-window") {
            action.kind = DriverAction::TimeNextWindow;
        } else if (word == "sleep") {
            action.kind = DriverAction::Sleep;
            ok = cursor.Number(&action.number);
        } else {
            return bad("unknown action \"" + word + "\"");
        }
        if (!ok || !cursor.AtEnd())
            return bad("bad arguments to " + word);
        steps->back().actions.push_back(action);
    }
    return true;
}
