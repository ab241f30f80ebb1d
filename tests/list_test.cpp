// The object list: removal and appending while a walk is under way, identity, and ownership.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/list.h"

namespace {

int live_objects = 0;

struct Obj {
  explicit Obj(std::string n) : name(std::move(n)) { ++live_objects; }
  ~Obj() { --live_objects; }
  std::string name;
};

using ObjPtr = std::shared_ptr<Obj>;

class ListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"X", "Y", "Z"}) {
      objects_[name] = std::make_shared<Obj>(name);
      list_.AddLast(objects_[name]);
    }
  }
  void TearDown() override {
    objects_.clear();
    list_.Clear();
    EXPECT_EQ(live_objects, 0);
  }

 public:  // the case tables' actions act on the fixture
  ObjPtr Named(const std::string& name) {
    if (!objects_.contains(name)) objects_[name] = std::make_shared<Obj>(name);
    return objects_[name];
  }

  // Walks the list the game's way and records what NextObject returned ("-" for none); `body`
  // runs for every object.
  std::vector<std::string> Walk(const std::function<void(Obj&)>& body) {
    std::vector<std::string> seen;
    for (TListEnum<Obj> e = list_.ObjectEnumerator(); e.HasNext();) {
      ObjPtr value = e.NextObject();
      seen.push_back(value ? value->name : "-");
      if (value) body(*value);
    }
    return seen;
  }

  std::vector<std::string> Names() {
    std::vector<std::string> names;
    list_.ForEach([&](Obj& obj) { names.push_back(obj.name); });
    return names;
  }

  TList<Obj> list_;
  std::map<std::string, ObjPtr> objects_;
};

TEST_F(ListTest, RemovalAndAppendingDuringAWalk) {
  struct Case {
    const char* what;
    std::string actor;  // whose body acts
    std::function<void(ListTest&)> action;
    std::vector<std::string> walked;
    std::vector<std::string> after;
  };
  const std::vector<Case> cases = {
      {"X removes itself",
       "X",
       [](ListTest& t) { t.list_.Remove(t.Named("X").get()); },
       {"X", "Y", "Z"},
       {"Y", "Z"}},
      {"X removes Y, on whose link the walk stands",
       "X",
       [](ListTest& t) { t.list_.Remove(t.Named("Y").get()); },
       {"X", "-", "Z"},
       {"X", "Z"}},
      {"X removes Z, ahead of the walk",
       "X",
       [](ListTest& t) { t.list_.Remove(t.Named("Z").get()); },
       {"X", "Y"},
       {"X", "Y"}},
      {"Y appends W",
       "Y",
       [](ListTest& t) { t.list_.AddLast(t.Named("W")); },
       {"X", "Y", "Z", "W"},
       {"X", "Y", "Z", "W"}},
      // The walk already stands on the head when the last body runs: W waits for the next walk.
      {"Z appends W",
       "Z",
       [](ListTest& t) { t.list_.AddLast(t.Named("W")); },
       {"X", "Y", "Z"},
       {"X", "Y", "Z", "W"}},
      {"Y removes Z, whose successor is the head, then appends W",
       "Y",
       [](ListTest& t) {
         t.list_.Remove(t.Named("Z").get());
         t.list_.AddLast(t.Named("W"));
       },
       {"X", "Y", "-"},
       {"X", "Y", "W"}},
      {"X clears the list", "X", [](ListTest& t) { t.list_.Clear(); }, {"X", "-", "-"}, {}},
      {"Y clears the list and appends W",
       "Y",
       [](ListTest& t) {
         t.list_.Clear();
         t.list_.AddLast(t.Named("W"));
       },
       {"X", "Y", "-"},
       {"W"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    list_.Clear();
    for (const char* name : {"X", "Y", "Z"}) list_.AddLast(Named(name));
    EXPECT_EQ(Walk([&](Obj& obj) {
                if (obj.name == c.actor) c.action(*this);
              }),
              c.walked);
    EXPECT_EQ(Names(), c.after);
    EXPECT_EQ(CountList(list_), static_cast<int>(c.after.size()));
    objects_.erase("W");
  }
}

TEST_F(ListTest, RemoveFindsTheSameObjectOnly) {
  ObjPtr twin = std::make_shared<Obj>("Y");  // equal contents, another object
  EXPECT_FALSE(list_.Remove(twin.get()));
  EXPECT_EQ(CountList(list_), 3);

  list_.AddLast(Named("X"));  // X twice: the first from the front goes
  EXPECT_TRUE(list_.Remove(Named("X").get()));
  EXPECT_EQ(Names(), (std::vector<std::string>{"Y", "Z", "X"}));
  EXPECT_TRUE(list_.Remove(Named("X").get()));
  EXPECT_FALSE(list_.Remove(Named("X").get()));
  EXPECT_EQ(Names(), (std::vector<std::string>{"Y", "Z"}));
}

TEST_F(ListTest, LinksKnowTheirNeighboursAndValues) {
  list_.Clear();
  auto x = list_.AddLast(Named("X"));
  auto y = list_.AddLast(Named("Y"));
  EXPECT_EQ(x->Value(), Named("X"));
  EXPECT_EQ(x->NextLink(), y);
  EXPECT_EQ(y->PrevLink(), x.get());
  y->Remove();
  EXPECT_EQ(y->Value(), nullptr);
  EXPECT_EQ(CountList(list_), 1);
}

TEST_F(ListTest, RemovingALinkTwiceLeavesTheListAlone) {
  list_.Clear();
  list_.AddLast(Named("X"));
  auto y = list_.AddLast(Named("Y"));
  list_.AddLast(Named("Z"));
  y->Remove();
  list_.Remove(Named("Z").get());
  y->Remove();  // its old neighbours X and Z must not be joined again: Z is gone
  EXPECT_EQ(Names(), (std::vector<std::string>{"X"}));
  EXPECT_EQ(CountList(list_), 1);
  list_.AddLast(Named("W"));
  EXPECT_EQ(Names(), (std::vector<std::string>{"X", "W"}));
}

TEST_F(ListTest, ObjectsLiveWhileSomethingHoldsThem) {
  objects_.clear();
  EXPECT_EQ(live_objects, 3);  // held by the list alone
  list_.ForEach([&](Obj& obj) {
    if (obj.name == "Y") list_.Remove(&obj);  // the walk holds Y until its body is done
    EXPECT_FALSE(obj.name.empty());
  });
  EXPECT_EQ(live_objects, 2);
  list_.Clear();
  EXPECT_EQ(live_objects, 0);
}

TEST(List, AWalkOutlivingItsListEndsAndFreesEverything) {
  std::optional<TListEnum<Obj>> walk;
  {
    TList<Obj> list;
    for (const char* name : {"A", "B", "C"}) list.AddLast(std::make_shared<Obj>(name));
    walk = list.ObjectEnumerator();
    ASSERT_EQ(walk->NextObject()->name, "A");
  }
  EXPECT_EQ(live_objects, 0);
  int steps = 0;
  while (walk->HasNext()) {
    EXPECT_EQ(walk->NextObject(), nullptr);
    ++steps;
  }
  EXPECT_EQ(steps, 2);  // over the removed links of B and C to the head
  walk.reset();
}

TEST(List, EmptyListWalksNothing) {
  TList<Obj> list;
  EXPECT_FALSE(list.ObjectEnumerator().HasNext());
  EXPECT_EQ(CountList(list), 0);
  list.Clear();
  EXPECT_EQ(CountList(list), 0);
}

}  // namespace
