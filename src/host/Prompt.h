// Modal questions the core and the windows put to the user, answered by dialogs or by a test.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qn {

// The hex keypad's question: where it opens, how many digits and their limits, and its texts.
struct HexQuestion {
    int ScreenX = 0;
    int ScreenY = 0;
    std::string Template; // "FF", "FFF", "FFFF": one character a digit, each the largest allowed
    std::string Hint;     // the range, "00~FF"
    std::string Caption;
};

class Prompt {
  public:
    virtual ~Prompt() = default;
    // A yes/no question; true when the user answers yes.
    virtual bool Confirm(const std::string& question) = 0;
    // An error or notice the user acknowledges before the program goes on.
    virtual void Tell(const std::string& message) = 0;
    // The hex keypad; empty when the user cancelled.
    virtual std::optional<uint32_t> AskHex(const HexQuestion& question) = 0;
    // The colour dialog, starting at `current` (0xRRGGBB); empty when cancelled.
    virtual std::optional<uint32_t> AskColour(uint32_t current) = 0;
    // The save and open file dialogs for files ending in `extension` ("ram"), starting in
    // `folder`; empty when cancelled.
    virtual std::optional<std::string> AskFileToSave(const std::string& extension,
                                                     const std::string& folder) = 0;
    virtual std::optional<std::string> AskFileToOpen(const std::string& extension,
                                                     const std::string& folder) = 0;
};

// Where no dialog can open (the command-line forms): the keypad, colour and file dialogs are
// cancelled; questions and notices are the subclass's.
class DialogFreePrompt : public Prompt {
  public:
    std::optional<uint32_t> AskHex(const HexQuestion&) override { return std::nullopt; }
    std::optional<uint32_t> AskColour(uint32_t) override { return std::nullopt; }
    std::optional<std::string> AskFileToSave(const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> AskFileToOpen(const std::string&, const std::string&) override {
        return std::nullopt;
    }
};

// Forwards questions to a window attached later; without one every question is cancelled.
class PromptRelay final : public Prompt {
  public:
    bool Confirm(const std::string& question) override {
        return Target != nullptr && Target->Confirm(question);
    }
    void Tell(const std::string& message) override {
        if (Target != nullptr) Target->Tell(message);
    }
    std::optional<uint32_t> AskHex(const HexQuestion& question) override {
        return Target != nullptr ? Target->AskHex(question) : std::nullopt;
    }
    std::optional<uint32_t> AskColour(uint32_t current) override {
        return Target != nullptr ? Target->AskColour(current) : std::nullopt;
    }
    std::optional<std::string> AskFileToSave(const std::string& extension,
                                             const std::string& folder) override {
        return Target != nullptr ? Target->AskFileToSave(extension, folder) : std::nullopt;
    }
    std::optional<std::string> AskFileToOpen(const std::string& extension,
                                             const std::string& folder) override {
        return Target != nullptr ? Target->AskFileToOpen(extension, folder) : std::nullopt;
    }
    Prompt* Target = nullptr;
};

} // namespace qn
