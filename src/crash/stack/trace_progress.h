// Progress of a stack trace, for a progress bar: positions from 0 to 1000, and the phase that
// is running. The report connects its progress window to this.
#pragma once

namespace roadsum {

// The phases of a trace, in their order; their names appear in internal-error texts.
enum class TracePhase {
    CollectPossibleStackItems,
    RemoveRecursiveStackAreas,
    InDeepChecks,
    RealizeOptimalLinkChains,
    RemoveRecursiveAreas,
    FillFinalOutput,
    ComposeResult,
};

const char* TracePhaseName(TracePhase phase);

class StackTraceProgress {
public:
    virtual ~StackTraceProgress() = default;
    virtual void PhaseStarted(TracePhase phase) { (void)phase; }
    // 0 to 1000; phases 3 and 4 take most of it on deep stacks.
    virtual void Position(int position) = 0;
};

}  // namespace roadsum
