// When a run rewrites its B and multimeter files after a step attempt.
#pragma once

#include <cstddef>

namespace qn {

// Tables of at most this many steps (rows × steps) are rewritten after every attempt.
inline constexpr size_t kAlwaysRewriteSteps = 2000;
// A larger table's rewrites are held to this share of the run's time so far.
inline constexpr double kRewriteShare = 0.01;

// A small run's files are rewritten after every step attempt. A large run's rewrite grows with
// its table, so it is rewritten only as often as keeps the time spent rewriting under about 1 %
// of the run's time so far. A held-back rewrite loses nothing: every result is in the journal
// the moment it is measured, and the run rewrites the files at the end of every row, on
// "SaveData", on Stop and at its end. Times are the process's own, in milliseconds.
// The process's own steady time in milliseconds: what rewriting costs, whatever clock the bench
// runs on.
double ProcessMs();

class RewritePacer {
  public:
    void Start(size_t tableSteps, double nowMs);
    // Whether a rewrite now keeps the run's rewrites within their share.
    bool Due(double nowMs) const;
    void Rewrote(double costMs);

  private:
    size_t tableSteps_ = 0;
    double startMs_ = 0;
    double spentMs_ = 0;
    double lastCostMs_ = 0;
};

} // namespace qn
