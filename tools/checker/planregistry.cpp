/* The plan of the registry: the program's rows, for the user who answers
   yes to the question and keeps the suffixes, as Windows stores them. */
#include "actions/registrationrows.h"
#include "tools/checker/cp1252.h"
#include "tools/checker/planner.h"

static const char *RootName(int root)
{
    return root == REGISTRATION_LOCAL_MACHINE ? "HKEY_LOCAL_MACHINE" : "HKEY_CLASSES_ROOT";
}

static bool StartsWithKey(const std::string &key, const std::string &top)
{
    return Cp1252UpperText(key.substr(0, top.size())) == Cp1252UpperText(top) &&
           (key.size() == top.size() || key[top.size()] == '\\');
}

/* Where a key of HKEY_LOCAL_MACHINE written by a 32-bit program lies on
   64-bit Windows (Microsoft's "Registry Keys Affected by WOW64", Windows 7
   and later): Software is redirected to Software\Wow6432Node, but for the
   keys shared by both views, among them Classes (whose few redirected
   subkeys, CLSID and the like, the program never writes) and App Paths. */
static std::string Wow64Key(const std::string &key)
{
    static const char software[] = "Software";
    static const char *const shared[] = {"Software\\Classes",
                                         "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths"};
    if (!StartsWithKey(key, software) || key.size() == sizeof software - 1)
        return key;
    for (const char *top : shared)
        if (StartsWithKey(key, top))
            return key;
    return key.substr(0, sizeof software - 1) + "\\Wow6432Node" + key.substr(sizeof software - 1);
}

void Planner::Registry()
{
    std::string windows =
        options.windowsDir.size() < (size_t)SETUP_PATH_CAPACITY ? options.windowsDir : "";
    RegistrationTexts texts = {plan.installDir.c_str(), model.application.value.c_str(),
                               windows.c_str()};
    std::vector<RegistrationRow> rows(ROW_COUNT);
    for (int id = 0; id < ROW_COUNT; id++)
        RegistrationComposeRow(id, &texts, &rows[(size_t)id]);
    if (model.hasRegistration) {
        /* the suffixes as proposed */
        for (const std::string &word : model.suffixWords) {
            rows.emplace_back();
            RegistrationComposeSuffix(word.c_str(), (int)word.size(), &rows.back());
        }
    }

    /* A value written twice holds the last data; a key keeps the spelling it
       was created with. */
    std::unordered_map<std::string, size_t> valueAt;
    for (const RegistrationRow &row : rows) {
        PlannedValue v = {RootName(row.root), WinRegistryKey(row.key), row.valueName, row.data};
        if (options.wow64 && row.root == REGISTRATION_LOCAL_MACHINE)
            v.key = Wow64Key(v.key);
        std::string key = v.root + "\n" + Cp1252UpperText(v.key) + "\n" + Cp1252UpperText(v.name);
        auto known = valueAt.emplace(key, plan.values.size());
        if (known.second)
            plan.values.push_back(v);
        else
            plan.values[known.first->second].data = v.data;
    }
    PlanSort(&plan.values, [](const PlannedValue &v) {
        return Cp1252ToUtf8(v.root + "\\" + v.key) + std::string(1, '\0') + Cp1252ToUtf8(v.name);
    });
}
