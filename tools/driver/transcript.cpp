#include "tools/driver/internal.h"

namespace driver {

std::string Describe(const DriverWindow &w, int number)
{
    std::string out = Format("window %d at %.0f ms: class %s, caption %s\n", number, w.appearedMs,
                             w.className.c_str(), Quote(w.caption).c_str());
    out += Format("  owner %s, rect %ld,%ld %ldx%ld\n", w.owner == "none" || w.owner == "backdrop"
                                                            ? w.owner.c_str()
                                                            : Quote(w.owner).c_str(),
                  w.rect.left, w.rect.top, w.rect.right - w.rect.left, w.rect.bottom - w.rect.top);
    if (w.messageBox) {
        out += "  message box: " + Quote(w.text) + "\n  buttons";
        for (int id : w.buttons)
            out += Format(" %d", id);
        out += ", icon " + w.icon + "\n";
    }
    for (const std::string &other : w.othersVisible)
        out += "  also visible: " + Quote(other) + "\n";
    for (const DriverControl &control : w.controls)
        out += Format("  control %d %s %s\n", control.id, control.className.c_str(),
                      Quote(control.text).c_str());
    return out;
}

std::string DescribeStep(const DriverStep &step)
{
    std::string out = "window " + Quote(step.match);
    if (!step.className.empty())
        out += " class " + step.className;
    if (!step.control.empty())
        out += " control " + Quote(step.control);
    if (step.optional)
        out += " optional";
    return out;
}

std::string DescribeAction(const DriverAction &action)
{
    switch (action.kind) {
    case DriverAction::Type:
        return Format("type %d ", action.id) + Quote(action.text);
    case DriverAction::Press:
        return Format("press %d", action.id);
    case DriverAction::Escape:
        return "escape";
    case DriverAction::Enter:
        return "enter";
    case DriverAction::Close:
        return "close";
    case DriverAction::WaitPercent:
        return Format("wait-percent %d %d", action.id, action.number);
    case DriverAction::WaitText:
        return Format("wait-text %d ", action.id) + Quote(action.text);
    case DriverAction::Shot:
        return "shot " + action.text;
    case DriverAction::Sleep:
        return Format("sleep %d", action.number);
    case DriverAction::Call:
        return "call";
    case DriverAction::TimeNextWindow:
        return "time-next-window";
    }
    return "?";
}

}  // namespace driver
