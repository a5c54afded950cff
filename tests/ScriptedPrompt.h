// Answers the program's questions from a script instead of dialogs, and keeps what was asked.
#pragma once

#include "host/Prompt.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qn::test {

class ScriptedPrompt final : public Prompt {
  public:
    bool Confirm(const std::string& question) override { return Next(Confirms, question); }
    void Tell(const std::string& message) override { Ask(message); }
    std::optional<uint32_t> AskHex(const HexQuestion& question) override {
        LastHex = question;
        return Next(Hex, question.Caption);
    }
    std::optional<uint32_t> AskColour(uint32_t /*current*/) override {
        return Next(Colours, "colour");
    }
    std::optional<std::string> AskFileToSave(const std::string& extension,
                                             const std::string& /*folder*/) override {
        return Next(Files, "save ." + extension);
    }
    std::optional<std::string> AskFileToOpen(const std::string& extension,
                                             const std::string& /*folder*/) override {
        return Next(Files, "open ." + extension);
    }

    // Answers in order; an empty queue answers no or cancel.
    std::deque<bool> Confirms;
    std::deque<std::optional<uint32_t>> Hex;
    std::deque<std::optional<uint32_t>> Colours;
    std::deque<std::optional<std::string>> Files;
    // Runs inside every question, as a dialog's own message loop would.
    std::function<void()> WhileAsking;
    std::vector<std::string> Asked;
    HexQuestion LastHex;

  private:
    void Ask(const std::string& asked) {
        Asked.push_back(asked);
        if (WhileAsking) WhileAsking();
    }
    template <typename T> T Next(std::deque<T>& answers, const std::string& asked) {
        Ask(asked);
        if (answers.empty()) return T{};
        T answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

} // namespace qn::test
