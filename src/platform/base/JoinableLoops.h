// Loops that other threads may join while they look for work: the thread that
// runs one works through its chunks too and returns when every chunk has run.
// The threads of one RunBeside job share long pieces of work this way.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>

class JoinableLoops {
public:
  // Runs chunk(c) for every c in [0, chunks) and returns when all have run, other
  // threads taking chunks through HelpOne meanwhile. chunk must not throw. With
  // every slot taken (more loops open at once than there are slots) the loop runs
  // in this thread alone.
  void Run(int chunks, const std::function<void(int)>& chunk);
  // Runs one chunk of an open loop; false when no loop had a chunk left.
  bool HelpOne();

private:
  // One open loop. state holds the loop's generation (odd while open) above 32 bits
  // and its next chunk below, so that a chunk is only ever claimed from the loop
  // that is open.
  struct alignas(64) Slot {
    std::atomic<bool> owned{false};
    std::atomic<uint64_t> state{0};
    std::atomic<const std::function<void(int)>*> chunk{nullptr};
    std::atomic<int> chunks{0};
    std::atomic<int> done{0};
  };
  static constexpr int kSlots = 32;

  // Claims the next chunk of the loop in slot, if the loop is open and has one left.
  static bool ClaimFrom(Slot& slot, int& index, const std::function<void(int)>*& chunk);

  std::array<Slot, kSlots> slots_;
  std::atomic<int> open_{0};
};
