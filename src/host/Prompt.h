// Modal questions and messages the core puts to the user, answered by a window or by a test.
#pragma once

#include <string>

namespace qn {

class Prompt {
  public:
    virtual ~Prompt() = default;
    // A yes/no question; true when the user answers yes.
    virtual bool Confirm(const std::string& question) = 0;
    // An error or notice the user acknowledges before the program goes on.
    virtual void Tell(const std::string& message) = 0;
};

// Forwards questions to a window attached later; without one every question is answered no.
class PromptRelay final : public Prompt {
  public:
    bool Confirm(const std::string& question) override {
        return Target != nullptr && Target->Confirm(question);
    }
    void Tell(const std::string& message) override {
        if (Target != nullptr) Target->Tell(message);
    }
    Prompt* Target = nullptr;
};

} // namespace qn
