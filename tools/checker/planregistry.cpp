/* The plan of the registry: the program's rows, for the user who answers
   yes to the question and keeps the suffixes, as Windows stores them. */
#include "actions/registrationrows.h"
#include "tools/checker/cp1252.h"
#include "tools/checker/planner.h"

static const char *RootName(int root)
{
    return root == REGISTRATION_LOCAL_MACHINE ? "HKEY_LOCAL_MACHINE" : "HKEY_CLASSES_ROOT";
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
