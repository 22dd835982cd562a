#include "cli/Apply.h"

#include <map>
#include <nlohmann/json.hpp>
#include <ostream>
#include <set>

#include "cli/Session.h"
#include "cli/Text.h"
#include "platform/Errors.h"
#include "platform/Text.h"
#include "texts/Texts.h"

namespace kvr::cli {

namespace {

using Json = nlohmann::ordered_json;

// The file's bytes; none for a missing file, as a rewrite reads it.
std::string ReadBytes(AliasStore& store) {
    return store.Exists() ? store.Bytes() : std::string();
}

std::vector<CurrentAlias> ReadCurrent(AliasStore& store) {
    std::vector<CurrentAlias> current;
    std::set<std::u16string> seen;
    for (std::string& name : store.Names()) {
        // A repeated header reads the first section's fields: one alias.
        if (!seen.insert(platform::FoldCase(name)).second) {
            continue;
        }
        Fields values;
        try {
            values = store.ReadValues(name);
        } catch (const ConvertError& e) {
            throw ConvertError("KVR別名[" + Utf8(name) + "]: " + e.what());
        }
        current.push_back({std::move(name), std::move(values)});
    }
    return current;
}

// A value for the diff: quoted UTF-8; a password only says whether it is set.
std::string Shown(std::size_t field, const std::string& value) {
    if (field == kPasswordField) {
        return value.empty() ? "(empty)" : "(set)";
    }
    return Json(Utf8(value)).dump();
}

std::string Label(std::size_t field) {
    return kFields[field].jsonName;
}

// One line per alias ("+" added, "~" changed, "-" deleted); with `fields`,
// one more line per field that changes.
std::string Report(const ApplyPlan& plan, bool fields) {
    std::map<std::string, const Fields*> before;
    for (const auto& [name, values] : plan.before) {
        before.emplace(name, &values);
    }
    std::map<std::string, const Fields*> after;
    for (const auto& [name, values] : plan.writes) {
        after.emplace(name, &values);
    }
    std::string text;
    for (const std::string& name : plan.added) {
        text += "+ [" + Utf8(name) + "]\n";
        for (std::size_t i = 0; fields && i < kFields.size(); ++i) {
            text += "    " + Label(i) + ": " + Shown(i, after.at(name)->at(i)) + "\n";
        }
    }
    for (const auto& [name, changed] : plan.changed) {
        text += "~ [" + Utf8(name) + "]";
        if (!fields) {
            for (std::size_t i : changed) {
                text += " " + Label(i);
            }
            text += "\n";
            continue;
        }
        text += "\n";
        for (std::size_t i : changed) {
            text += "    " + Label(i) + ": ";
            if (i == kPasswordField) {
                const std::string& now = after.at(name)->at(i);
                text += now.empty() ? "(cleared)" : "(changed)";
            } else {
                text += Shown(i, before.at(name)->at(i)) + " -> " + Shown(i, after.at(name)->at(i));
            }
            text += "\n";
        }
    }
    for (const std::string& name : plan.deleted) {
        text += "- [" + Utf8(name) + "]\n";
    }
    return text;
}

std::string Summary(const ApplyPlan& plan, bool check) {
    if (!plan.Changes()) {
        return texts::Say(KVR_TEXT("kvrcfg apply", "no change"));
    }
    return texts::Say(KVR_TEXT("kvrcfg apply", "%1 added, %2 changed, %3 deleted"),
                      {std::to_string(plan.added.size()), std::to_string(plan.changed.size()),
                       std::to_string(plan.deleted.size())}) +
           (check ? texts::Say(kCheckWroteNothing) : "");
}

}  // namespace

ApplyPlan PlanApply(const std::vector<CurrentAlias>& current,
                    const std::vector<DeclaredAlias>& declared, bool prune) {
    std::map<std::u16string, const CurrentAlias*> present;
    for (const CurrentAlias& alias : current) {
        present.emplace(platform::FoldCase(alias.name), &alias);
    }
    ApplyPlan plan;
    std::set<std::u16string> kept;
    for (const DeclaredAlias& alias : declared) {
        const std::u16string folded = platform::FoldCase(alias.name);
        kept.insert(folded);
        auto found = present.find(folded);
        if (found == present.end()) {
            Fields values = alias.values;
            if (alias.keepPassword) {
                values[kPasswordField].clear();  // nothing stored to keep
            }
            plan.added.push_back(alias.name);
            plan.writes.emplace_back(alias.name, std::move(values));
            continue;
        }
        const CurrentAlias& stored = *found->second;
        Fields values = alias.values;
        if (alias.keepPassword) {
            values[kPasswordField] = stored.values[kPasswordField];
        }
        std::vector<std::size_t> changed;
        for (std::size_t i = 0; i < kFields.size(); ++i) {
            if (values[i] != stored.values[i]) {
                changed.push_back(i);
            }
        }
        if (changed.empty()) {
            continue;  // left as it is: its key stamp and the file's bytes stay
        }
        plan.changed.emplace_back(stored.name, std::move(changed));
        plan.before.emplace_back(stored.name, stored.values);
        plan.writes.emplace_back(stored.name, std::move(values));
    }
    if (prune) {
        for (const CurrentAlias& alias : current) {
            if (kept.count(platform::FoldCase(alias.name)) == 0) {
                plan.deleted.push_back(alias.name);
                plan.before.emplace_back(alias.name, alias.values);
            }
        }
    }
    return plan;
}

int Apply(AliasStore& store, const std::vector<DeclaredAlias>& declared,
          const ApplyOptions& options, Io& io) {
    // The plan is made from one state of the file and written only onto that
    // state: a change made meanwhile by someone else means planning again.
    ApplyPlan plan;
    constexpr int kAttempts = 100;
    for (int attempt = 0;; ++attempt) {
        if (attempt == kAttempts) {
            throw FileError("Cannot create file " + store.Path() + "\n" +
                            texts::Say(kKeepsChanging, {store.Path()}));
        }
        const std::string read = ReadBytes(store);
        plan = PlanApply(ReadCurrent(store), declared, options.prune);
        const bool done = plan.Changes() && !options.check
                              ? store.WriteMany(plan.writes, plan.deleted, &read)
                              : ReadBytes(store) == read;
        if (done) {
            break;
        }
    }
    if (options.json) {
        Json json;
        json["changed"] = plan.Changes();
        json["check"] = options.check;
        json["added"] = Json::array();
        for (const std::string& name : plan.added) {
            json["added"].push_back(TextToJson(name));
        }
        json["changed_fields"] = Json::object();
        for (const auto& [name, fields] : plan.changed) {
            Json list = Json::array();
            for (std::size_t i : fields) {
                list.push_back(kFields[i].jsonName);
            }
            json["changed_fields"][Utf8(name)] = std::move(list);
        }
        json["deleted"] = Json::array();
        for (const std::string& name : plan.deleted) {
            json["deleted"].push_back(TextToJson(name));
        }
        if (options.diff) {
            json["diff"] = Report(plan, true);
        }
        io.out << json.dump(2) << '\n';
        return kDone;
    }
    io.out << Message(Report(plan, options.diff)) << Message(Summary(plan, options.check)) << '\n';
    return kDone;
}

}  // namespace kvr::cli
