// The directives of a chip description file: section headers and the controls they show.
#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace qn {

enum class Directive {
    Product = 1,
    Compiler,
    Id,
    Rom,
    Reg0,
    Reg1,
    RamBank0,
    RamBank1,
    RamBank2,
    RamBank3,
    RamBank4,
    RegBit,  // page 1
    RegBit1, // page 2
    RegBit2, // page 3
    RegBit3, // page 4
    RegByte,
    RegWord,
    Reg3Byte,
    Stack,
    SbmAddr,
    SimIc,
    RegBitStr,
    RegByteStr,
    RegWordStr,
    RegBitStrCn,
    RegByteStrCn,
    RegWordStrCn,
    Adc0s,
    Op0s,
    Cmp0s,
    PgaIndex,
    GainIndex,
    Fluke,
    Power,
    Enob,
    Continue,
    Chamber,
    RegisterTest,
};

inline constexpr int kDirectiveCount = 38;

// The directive whose text is `word` (already upper-cased), or none.
std::optional<Directive> FindDirective(std::string_view word);
// The text of a directive ("#PRODUCT" ...).
std::string_view DirectiveText(Directive directive);
// Directives 33..38 only show controls and open no section.
bool ShowsControlsOnly(Directive directive);
// Bit-register page (0..3) of "#REGBIT".."#REGBIT3"; -1 for other directives.
int BitRegPage(Directive directive);
// RAM bank (0..4) of "#RAMBANK0".."#RAMBANK4"; -1 for other directives.
int RamBankOf(Directive directive);

} // namespace qn
