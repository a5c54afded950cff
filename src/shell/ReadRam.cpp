// The chunk plans of "Read RAM" and the reads themselves.
#include "shell/ReadRam.h"

namespace qn {
namespace {

constexpr uint16_t kSpecialChunk = 64;
constexpr StatusPanel kOutcomePanel = StatusPanel::Outcome;

// The fixed memory map of the "Special" link: bank 1, register area 1, banks 2, 3 and 4.
constexpr uint16_t kBank1Start = 256, kArea1Start = 384, kBank2Start = 512, kBank3Start = 768,
                   kBank4Start = 1024;

void AddChunks(std::vector<MemoryChunk>& plan, uint16_t start, uint16_t length) {
    for (uint16_t at = start; at < start + length; at = static_cast<uint16_t>(at + kSpecialChunk))
        plan.push_back({at, kSpecialChunk});
}

std::vector<MemoryChunk> SpecialPlan(const ChipModel& model) {
    std::vector<MemoryChunk> plan{{0, 26}, {28, 36}, {64, 64}, {128, 64}, {192, 64}};
    if (model.RamBank[1].Present()) AddChunks(plan, kBank1Start, 128);
    if (model.RegArea[1].Present()) AddChunks(plan, kArea1Start, 128);
    if (model.RamBank[2].Present()) AddChunks(plan, kBank2Start, 256);
    if (model.RamBank[3].Present()) AddChunks(plan, kBank3Start, 256);
    if (model.RamBank[4].Present()) AddChunks(plan, kBank4Start, 256);
    return plan;
}

// A range read in two halves at its own addresses.
void AddHalves(std::vector<MemoryChunk>& plan, const AddressRange& range) {
    if (!range.Present()) return;
    const auto n = static_cast<uint16_t>(range.End - range.Start + 1);
    const auto h = static_cast<uint16_t>(n / 2);
    plan.push_back({range.Start, h});
    plan.push_back({static_cast<uint16_t>(range.Start + h), static_cast<uint16_t>(n - h)});
}

std::vector<MemoryChunk> SerialPlan(const ChipModel& model) {
    std::vector<MemoryChunk> plan{{0, 26}, {28, 100}, {128, 128}};
    for (const AddressRange* range : {&model.RamBank[1], &model.RamBank[2], &model.RegArea[1],
                                      &model.RamBank[3], &model.RamBank[4]})
        AddHalves(plan, *range);
    return plan;
}

// "QN740x" reaches registers 0..4 only; the results are read so the ADC panel shows them.
bool ReadLinkRegisters(Bench& bench) {
    for (uint16_t i = 0; i < kShadowSize; ++i) {
        if (!bench.Chip.ReadChip(i, 1)) return false;
        bench.Chip.SetReg(i, bench.Chip.ChipShadow[i]);
    }
    bench.Chip.ReadAdcResult();
    bench.Chip.ReadTempResult();
    return true;
}

bool ReadChunks(Bench& bench) {
    for (const MemoryChunk& chunk : ReadRamPlan(bench.Stnd.Interface, bench.Model)) {
        const ChipBytes bytes = bench.Chip.ReadChip(chunk.Start, chunk.Count);
        if (!bytes) return false;
        for (size_t i = 0; i < bytes->size(); ++i)
            bench.Chip.SetReg(chunk.Start + static_cast<int>(i), (*bytes)[i]);
    }
    return true;
}

} // namespace

std::vector<MemoryChunk> ReadRamPlan(uint16_t linkKind, const ChipModel& model) {
    if (linkKind == kLinkSpecial) return SpecialPlan(model);
    if (linkKind == kLinkRs232) return SerialPlan(model);
    return {};
}

bool ReadRam(Bench& bench) {
    const auto hold = bench.Guard.Begin();
    if (!hold) return false;
    const bool read =
        bench.Stnd.Interface == kLinkQn740x ? ReadLinkRegisters(bench) : ReadChunks(bench);
    bench.Status().SetPanelText(kOutcomePanel, read ? kReadRamDone : kReadRamFailed);
    return read;
}

} // namespace qn
