// Going round the same ways again and again (another range, refused names,
// a missing table) must not pile up heap or stack: each way back unwinds to
// its question instead of calling deeper.
#include <gtest/gtest.h>
#include <malloc.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/fixtures.h"
#include "support/harness.h"

using namespace vorn;
using vorn::test::TempDir;

namespace {

// Feeds one round of keys each time the script runs dry, and notes per
// round the deepest stack seen in a key wait and the heap in use.
class RoundHost : public HeadlessHost {
 public:
  RoundHost(int rounds, std::string round_keys) : rounds_(rounds), keys_(std::move(round_keys)) {
    // The notes themselves must not show up as growth.
    heap_.reserve(size_t(rounds));
    lowest_.reserve(size_t(rounds));
  }

  // The base host keeps the time of every beep; these rounds beep often.
  void tone() override { ++tones_; }

  void wait_key(int timeout_ms) override {
    const auto sp = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    if (!lowest_.empty()) lowest_.back() = std::min(lowest_.back(), sp);
    if (pending_items() == 0 && done_ < rounds_) {
      ++done_;
      heap_.push_back(mallinfo2().uordblks);
      lowest_.push_back(sp);
      type(keys_);
    }
    HeadlessHost::wait_key(timeout_ms);
  }

  int done() const { return done_; }
  int tones() const { return tones_; }
  const std::vector<size_t>& heap() const { return heap_; }
  const std::vector<uintptr_t>& lowest() const { return lowest_; }

 private:
  int rounds_;
  std::string keys_;
  int done_ = 0;
  int tones_ = 0;
  std::vector<size_t> heap_;
  std::vector<uintptr_t> lowest_;
};

struct RoundCase {
  const char* what;
  std::string before;  // keys that lead to the first round
  std::string round;   // keys of one round, back at the same question
  int rounds;
};

void PrintTo(const RoundCase& c, std::ostream* os) { *os << c.what; }

class Rounds : public ::testing::TestWithParam<RoundCase> {};

// The rounds before `settle` may still grow buffers to their final size.
constexpr int settle = 50;

TEST_P(Rounds, NoMoreHeapOrStackEachTime) {
  const RoundCase c = GetParam();
  TempDir dir;
  test::constant_table("t.txt", -3);
  test::identity_matrices({0});
  RoundHost host(c.rounds, c.round);
  State S(host.console);
  host.type(c.before);
  run_flow(S);

  ASSERT_EQ(host.done(), c.rounds);
  ASSERT_TRUE(host.script_exhausted());  // still going round when the keys ran out
  const auto& heap = host.heap();
  const auto& low = host.lowest();
  const size_t heap_settled = *std::max_element(heap.begin(), heap.begin() + settle);
  const uintptr_t stack_settled = *std::min_element(low.begin(), low.begin() + settle);
  // The last round saw no key wait after its keys: leave it out.
  for (int i = settle; i + 1 < c.rounds; ++i) {
    ASSERT_LE(heap[size_t(i)], heap_settled) << "round " << i;
    ASSERT_GE(low[size_t(i)], stack_settled) << "round " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Rounds,
    ::testing::Values(
        // Choice 4 computes one row each round; "y" goes back to the menu.
        RoundCase{"another_range", "100\r300\rt.txt\r", "4\r0\rky\r", 2000},
        RoundCase{"wrong_menu_answer", "100\r300\rt.txt\r", "7\rk", 10000},
        RoundCase{"refused_output_name", "100\r300\rt.txt\r4\r0\rkN\rY\r", "run.2\rk", 10000},
        RoundCase{"missing_table", "100\r300\r", "none.txt\rk", 10000}),
    [](const auto& info) { return std::string(info.param.what); });

}  // namespace
