#pragma once
// Conversions at the edges of the command line: the alias file's text is in
// the machine's code page, JSON is UTF-8, and the terminal has its own.
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

namespace kvr::cli {

// Code-page text shown as UTF-8 (bytes that form no character are replaced).
std::string Utf8(std::string_view ansi);
std::string Utf8(std::u16string_view text);

// Whether the bytes are text of the code page: they decode and encode back
// to exactly themselves.
bool IsCodePageText(std::string_view ansi);

// UTF-8 text in the code page, or nothing when it holds a character the code
// page cannot store (the first such character in `lost`, as UTF-8).
std::optional<std::string> AnsiFromUtf8(std::string_view utf8, std::string* lost = nullptr);

// Says whether the terminal's code page is the one in force for the alias
// file; when it is not, text is converted between the two.
void SetTerminalIsAnsi(bool same);
// Bytes of the command line and the terminal in the code page. Raises
// Refusal, naming `what`, for a character the code page cannot store.
std::string FromTerminal(std::string_view text, std::string_view what = "the text");
// Code-page text for the terminal.
std::string ToTerminal(std::string_view ansi);
// Our own UTF-8 messages for the terminal.
std::string Message(std::string_view utf8);

// Code-page text in JSON: a string when the bytes are text of the code page,
// else {"hex": "<two lowercase hex digits per byte>"}, so every byte survives.
nlohmann::ordered_json TextToJson(std::string_view ansi);
// The reverse. Raises Refusal, naming `what`, for anything else and for a
// string the code page cannot store.
std::string TextFromJson(const nlohmann::ordered_json& value, std::string_view what);

// TextToJson written straight as JSON text, byte for byte as dump(2) writes
// the value where its lines are indented by `indent`; for many texts at once
// (the export), without building a JSON value per text. It learns once, on
// being made, whether ASCII is itself in the code page in force.
class JsonTextWriter {
  public:
    JsonTextWriter();
    void Append(std::string& out, std::string_view ansi, std::string_view indent) const;

  private:
    bool asciiIsItself_;
};

}  // namespace kvr::cli
