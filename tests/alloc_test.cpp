// CBox, BoxColl and MapColl run for every creature at every pixel step of the figure, so they must
// not allocate. This executable replaces the global allocation functions to count every call.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "game/collision.h"
#include "game/creature.h"
#include "game/globals.h"
#include "game/tables.h"

namespace {
int allocations = 0;
std::shared_ptr<std::vector<int>> escaped;  // a global owner keeps the optimiser from eliding

void* Allocate(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  ++allocations;
  return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  ++allocations;
  return std::malloc(size ? size : 1);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

class AllocTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGlobals();
    // A floor along row 20 and a wall in column 10, so map queries both hit and miss.
    for (int c = 0; c < kMapColumns; ++c) map[c][20] = 1;
    for (int r = 0; r < kMapRows; ++r) map[10][r] = 1;
  }
  void TearDown() override { ResetGlobals(); }
};

// Without a working counter the zero below would prove nothing.
TEST_F(AllocTest, CounterSeesAllocations) {
  const int before = allocations;
  escaped = std::make_shared<std::vector<int>>(64);
  EXPECT_GE(allocations - before, 2);  // the shared block and the vector's elements
}

TEST_F(AllocTest, CollisionQueriesAllocateNothing) {
  TCr creature;
  int hits = 0;
  const int before = allocations;
  for (int kind = 0; kind <= 7; ++kind) {
    creature.cl = kind;
    for (int which = 0; which <= 1; ++which) {
      const BoxList boxes = creature.CBox(which);
      for (int x = -40; x <= 840; x += 7) {
        for (int y = -40; y <= 620; y += 11) {
          hits += BoxColl(figboxes, 320, 300, boxes, x, y);
          hits += BoxColl(unitbox, x, y, boxes, 160, 330);
          hits += MapColl(boxes, x, y);
        }
      }
    }
  }
  EXPECT_EQ(allocations - before, 0);
  EXPECT_GT(hits, 0);  // the queries ran and found something, so they were not skipped
}

}  // namespace
