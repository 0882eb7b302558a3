#include "main/table_ids_option.h"

#include <cstdio>
#include <vector>

#include "tables/table_ids.h"

bool ApplyTableIdOptions(const char* environmentValue, const std::string& emulatedKinds) {
    std::vector<tables::TableIdOverride> overrides;
    // The emulated devices first; the variable may then name other ids for the same kinds.
    const std::string implied = tables::EmulatedTableIds(emulatedKinds);
    std::string error;
    if (!implied.empty() && tables::ParseTableIds(implied, overrides, error))
        tables::ApplyTableIds(overrides);
    if (environmentValue && *environmentValue) {
        if (!tables::ParseTableIds(environmentValue, overrides, error)) {
            std::fprintf(stderr, "error: SKELMORA_TABLE_IDS: %s\n", error.c_str());
            return false;
        }
        tables::ApplyTableIds(overrides);
        std::fprintf(stderr, "warning: the device table was overridden: %s\n", environmentValue);
    } else if (!implied.empty()) {
        std::fprintf(stderr,
                     "warning: the device table was overridden for the emulated devices: %s\n",
                     implied.c_str());
    }
    return true;
}
