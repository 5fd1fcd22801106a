#include "Describe.h"

namespace twcalc {
namespace {

Json describeOption(const CLI::Option& option) {
    Json entry = Json::object();
    if (option.nonpositional()) {
        Json names = Json::array();
        for (const std::string& s : option.get_snames()) names.push_back("-" + s);
        for (const std::string& l : option.get_lnames()) names.push_back("--" + l);
        entry["names"] = std::move(names);
    } else {
        entry["name"] = option.get_name(true);
    }
    entry["value"] = option.get_type_size_max() == 0 ? std::string() : option.get_type_name();
    entry["description"] = option.get_description();
    entry["required"] = option.get_required();
    return entry;
}

// Adds the options of `app` and of its option groups (nameless subcommands) to `command`.
void addOptions(const CLI::App& app, Json& command) {
    for (const CLI::Option* option : app.get_options()) {
        if (option->get_group().empty()) continue;
        (option->nonpositional() ? command["options"] : command["positionals"])
            .push_back(describeOption(*option));
    }
    for (const CLI::App* group : app.get_subcommands(nullptr)) {
        if (group->get_name().empty()) addOptions(*group, command);
    }
}

}  // namespace

Json describeCommands(const CLI::App& app) {
    Json command = {{"name", app.get_name()},
                    {"description", app.get_description()},
                    {"options", Json::array()},
                    {"positionals", Json::array()},
                    {"commands", Json::array()}};
    addOptions(app, command);
    for (const CLI::App* sub : app.get_subcommands(nullptr)) {
        if (!sub->get_name().empty()) command["commands"].push_back(describeCommands(*sub));
    }
    return command;
}

}  // namespace twcalc
