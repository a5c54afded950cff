// The directives of a chip description file: section headers and the controls they show.
#include "chip/ChipDirectives.h"

#include <array>

namespace qn {
namespace {

constexpr std::array<std::string_view, kDirectiveCount> kTexts = {
    "#PRODUCT",     "#COMPILER",     "#ID",           "#ROM",       "#REG0",       "#REG1",
    "#RAMBANK0",    "#RAMBANK1",     "#RAMBANK2",     "#RAMBANK3",  "#RAMBANK4",   "#REGBIT",
    "#REGBIT1",     "#REGBIT2",      "#REGBIT3",      "#REGBYTE",   "#REGWORD",    "#REG3BYTE",
    "#STACK",       "#SBMADDR",      "#SIMIC",        "#REGBITSTR", "#REGBYTESTR", "#REGWORDSTR",
    "#REGBITSTRCN", "#REGBYTESTRCN", "#REGWORDSTRCN", "#ADC0S",     "#OP0S",       "#CMP0S",
    "#PGAINDEX",    "#GAININDEX",    "#FLUKE",        "#POWER",     "#ENOB",       "#CONTINUE",
    "#CHAMBER",     "#REGISTERTEST"};

int Number(Directive directive) {
    return static_cast<int>(directive);
}

} // namespace

std::optional<Directive> FindDirective(std::string_view word) {
    for (size_t i = 0; i < kTexts.size(); ++i)
        if (kTexts[i] == word) return static_cast<Directive>(i + 1);
    return std::nullopt;
}

std::string_view DirectiveText(Directive directive) {
    return kTexts.at(static_cast<size_t>(Number(directive) - 1));
}

bool ShowsControlsOnly(Directive directive) {
    return Number(directive) >= Number(Directive::Fluke);
}

int BitRegPage(Directive directive) {
    const int n = Number(directive) - Number(Directive::RegBit);
    return n >= 0 && n < 4 ? n : -1;
}

int RamBankOf(Directive directive) {
    const int n = Number(directive) - Number(Directive::RamBank0);
    return n >= 0 && n < 5 ? n : -1;
}

} // namespace qn
