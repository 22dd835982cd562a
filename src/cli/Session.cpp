#include "cli/Session.h"

#include <ostream>

#include "cli/Text.h"
#include "platform/Errors.h"
#include "platform/Text.h"
#include "texts/Texts.h"

namespace kvr::cli {

std::string Masked(std::string_view password, bool reveal) {
    return reveal || password.empty() ? std::string(password) : std::string(kMask);
}

void Tell(Io& io, const std::string& utf8) {
    io.err << Message("kvrcfg: " + utf8) << '\n';
}

void PrintJson(Io& io, const Json& json) {
    io.out << json.dump(2) << '\n';
}

std::string NameArgument(const Invocation& call, std::size_t index, std::string_view what) {
    const std::string label =
        what.empty() ? texts::Say(KVR_TEXT("kvrcfg", "the alias name")) : std::string(what);
    return std::string(platform::Trim(FromTerminal(call.arguments.at(index), label)));
}

Fields AliasValues(AliasStore& store, const std::string& alias) {
    try {
        return store.ReadValues(alias);
    } catch (const ConvertError& e) {
        throw ConvertError("KVR別名[" + Utf8(alias) + "]: " + e.what());
    }
}

Json AliasJson(const std::string& alias, const Fields& values, bool reveal) {
    Json json;
    json["name"] = TextToJson(alias);
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        json[kFields[i].jsonName] =
            TextToJson(i == kPasswordField ? Masked(values[i], reveal) : values[i]);
    }
    return json;
}

}  // namespace kvr::cli
