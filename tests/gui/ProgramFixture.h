// The whole program offscreen on the simulated bench, built as the entry point builds it.
#pragma once

#include "ScriptedPrompt.h"
#include "chip/ui/AdcPanel.h"
#include "chip/ui/HexKeypad.h"
#include "chip/ui/RamPanel.h"
#include "chip/ui/RegisterPanel.h"
#include "platform/SystemClock.h"
#include "shell/ui/Program.h"
#include "sim/SimClock.h"
#include "sim/SimWorld.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace qn::test {

class ProgramFixture : public ::testing::Test {
  protected:
    // `realTime`: the program runs on the system clock, so its 10 ms link timer ticks while a
    // test waits; otherwise on a simulated clock.
    explicit ProgramFixture(bool realTime = false)
        : clock(realTime ? static_cast<Clock&>(realClock) : simClock) {
        program->AnswerQuestionsWith(answers);
        main->show();
    }

    void Trigger(const char* caption) { main->MenuItems.at(caption)->trigger(); }
    // The simulated chip's register at `address`.
    uint8_t Chip(size_t address) const { return world.Bridge.Registers[address]; }
    // "USB Scan" over the QN740x link; `adcOn` then switches the chip's ADC on: ADCEN and
    // IRQEN, without which a capture brings nothing.
    void Connect(bool adcOn = false) {
        bench.Stnd.Interface = kLinkQn740x;
        Trigger("USB Scan");
        if (adcOn) bench.Chip.WriteRegister(2, static_cast<uint8_t>(bench.Stnd.RegImage[2] | 0x14));
    }

    void WriteFile(const QString& name, const QByteArray& contents) const {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << name.toStdString();
        file.write(contents);
    }
    QByteArray ReadFile(const QString& name) const {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        return file.readAll();
    }

    ProgramPlaces Places() const {
        return {dir.path() + "/", QCoreApplication::applicationDirPath() + "/INCLUDE",
                dir.filePath("qn740xtest.wst")};
    }

    ScriptedPrompt answers; // every question the program asks is answered from here
    SimClock simClock;
    SystemClock realClock;
    Clock& clock;
    QTemporaryDir dir;
    Backends outside{Simulated::All, clock, dir.path() + "/"};
    SimWorld& world = *outside.Sim();
    std::unique_ptr<Program> program = std::make_unique<Program>(outside, clock, Places());
    Bench& bench = program->Core;
    TMainPanel* main = &program->Main();
};

} // namespace qn::test
