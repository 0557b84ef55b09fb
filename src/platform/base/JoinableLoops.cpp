#include "platform/base/JoinableLoops.h"

#include "platform/base/WorkerThreads.h"

namespace {

constexpr uint64_t kChunkMask = 0xffffffffu;

bool Open(uint64_t state) { return ((state >> 32) & 1u) != 0; }

}  // namespace

bool JoinableLoops::ClaimFrom(Slot& slot, int& index, const std::function<void(int)>*& chunk) {
  uint64_t state = slot.state.load(std::memory_order_acquire);
  while (Open(state)) {
    // Read before the claim: a claim that succeeds proves the loop was still the
    // one these values belong to, as they change only while no loop is open.
    chunk = slot.chunk.load(std::memory_order_relaxed);
    const int chunks = slot.chunks.load(std::memory_order_relaxed);
    index = static_cast<int>(state & kChunkMask);
    if (index >= chunks) return false;
    if (slot.state.compare_exchange_weak(state, state + 1, std::memory_order_acquire)) return true;
  }
  return false;
}

void JoinableLoops::Run(int chunks, const std::function<void(int)>& chunk) {
  Slot* slot = nullptr;
  for (Slot& candidate : slots_) {
    bool free = false;
    if (candidate.owned.compare_exchange_strong(free, true)) {
      slot = &candidate;
      break;
    }
  }
  if (!slot) {
    for (int c = 0; c < chunks; ++c) chunk(c);
    return;
  }
  slot->chunk.store(&chunk, std::memory_order_relaxed);
  slot->chunks.store(chunks, std::memory_order_relaxed);
  slot->done.store(0, std::memory_order_relaxed);
  const uint64_t generation = (slot->state.load(std::memory_order_relaxed) >> 32) + 1;  // odd: open
  slot->state.store(generation << 32, std::memory_order_release);
  open_.fetch_add(1, std::memory_order_release);
  int index = 0;
  const std::function<void(int)>* claimed = nullptr;
  int ranHere = 0;
  while (ClaimFrom(*slot, index, claimed)) {
    chunk(index);
    ++ranHere;
  }
  // Every chunk is claimed: wait for those that other threads run.
  while (slot->done.load(std::memory_order_acquire) + ranHere < chunks) CpuRelax();
  open_.fetch_sub(1, std::memory_order_relaxed);
  slot->state.store((generation + 1) << 32, std::memory_order_release);
  slot->owned.store(false, std::memory_order_release);
}

bool JoinableLoops::HelpOne() {
  if (open_.load(std::memory_order_acquire) == 0) return false;
  for (Slot& slot : slots_) {
    int index = 0;
    const std::function<void(int)>* chunk = nullptr;
    if (!ClaimFrom(slot, index, chunk)) continue;
    (*chunk)(index);
    slot.done.fetch_add(1, std::memory_order_release);
    return true;
  }
  return false;
}
