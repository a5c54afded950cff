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
    bool Confirm(const std::string& question) override {
        Asked.push_back(question);
        return Next(Confirms, false);
    }
    void Tell(const std::string& message) override {
        Asked.push_back(message);
        During();
    }
    std::optional<uint32_t> AskHex(const HexQuestion& question) override {
        Asked.push_back(question.Caption);
        LastHex = question;
        return Next(Hex, std::optional<uint32_t>{});
    }
    std::optional<uint32_t> AskColour(uint32_t /*current*/) override {
        Asked.push_back("colour");
        return Next(Colours, std::optional<uint32_t>{});
    }
    std::optional<std::string> AskFileToSave(const std::string& extension,
                                             const std::string& /*folder*/) override {
        Asked.push_back("save ." + extension);
        return Next(Files, std::optional<std::string>{});
    }
    std::optional<std::string> AskFileToOpen(const std::string& extension,
                                             const std::string& /*folder*/) override {
        Asked.push_back("open ." + extension);
        return Next(Files, std::optional<std::string>{});
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
    void During() {
        if (WhileAsking) WhileAsking();
    }
    template <typename T> T Next(std::deque<T>& answers, T none) {
        During();
        if (answers.empty()) return none;
        T answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

} // namespace qn::test
