#include "texts/Texts.h"

#include <cstring>

#include "platform/Language.h"
#include "texts/TextTable.h"

namespace kvr::texts {

namespace {

const TableRow* RowOf(SourceText text) {
    for (std::size_t i = 0; i < kTextTableSize; ++i) {
        const TableRow& row = kTextTable[i];
        if (std::strcmp(row.english, text.text) == 0 &&
            std::strcmp(row.context, text.context) == 0) {
            return &row;
        }
    }
    return nullptr;
}

}  // namespace

bool Chinese() {
    return platform::UserReadsTraditionalChinese();
}

std::string ChineseOf(SourceText text) {
    const TableRow* row = RowOf(text);
    return row != nullptr ? row->chinese : text.text;
}

std::string Translated(SourceText text) {
    return Chinese() ? ChineseOf(text) : std::string(text.text);
}

std::string Fill(std::string_view text, std::initializer_list<std::string_view> values) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t n =
            i + 1 < text.size() ? static_cast<std::size_t>(text[i + 1] - '1') : values.size();
        if (text[i] == '%' && n < values.size()) {
            out += *(values.begin() + n);
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string Say(SourceText text, std::initializer_list<std::string_view> values) {
    return Fill(Translated(text), values);
}

}  // namespace kvr::texts
