#include <gtest/gtest.h>

#include <vector>

#include "ZR_command.h"

namespace {

std::vector<void*> contents(const ZR_Chain& chain) {
  std::vector<void*> out;
  ZR_CHAIN_FOR(void, p, chain) out.push_back(p);
  return out;
}

int a, b, c, d;

TEST(Chain, EmptyListLinksItsSentinels) {
  ZR_Chain chain;
  EXPECT_EQ(chain.head.next, &chain.tail);
  EXPECT_EQ(chain.tail.prev, &chain.head);
  EXPECT_EQ(chain.head.prev, nullptr);
  EXPECT_EQ(chain.tail.next, nullptr);
  EXPECT_EQ(chain.count, 0);
  EXPECT_EQ(chain.head.data, nullptr);
}

TEST(Chain, InsertAtEndAndBefore) {
  ZR_Chain chain;
  ZR_Chain_Item ia(&a), ib(&b), ic(&c), id(&d);
  chain.insert(&ia);
  chain.insert(&ib, nullptr);
  chain.insert(&ic, &ia);  // before the first: becomes first
  chain.insert(&id, &ib);
  EXPECT_EQ(contents(chain), (std::vector<void*>{&c, &a, &d, &b}));
  EXPECT_EQ(chain.count, 4);
  EXPECT_EQ(ia.list, &chain);
}

TEST(Chain, InsertingAnItemAlreadyInAListChangesNothing) {
  ZR_Chain one, two;
  ZR_Chain_Item ia(&a), ib(&b);
  one.insert(&ia);
  one.insert(&ib);
  one.insert(&ia, &ib);
  two.insert(&ia);
  EXPECT_EQ(contents(one), (std::vector<void*>{&a, &b}));
  EXPECT_EQ(one.count, 2);
  EXPECT_EQ(two.count, 0);
  EXPECT_EQ(ia.list, &one);
}

TEST(Chain, RemoveOnlyFromItsOwnList) {
  ZR_Chain one, two;
  ZR_Chain_Item ia(&a), ib(&b), loose(&c);
  one.insert(&ia);
  one.insert(&ib);
  two.remove(&ia);
  one.remove(&loose);
  EXPECT_EQ(one.count, 2);
  one.remove(&ia);
  EXPECT_EQ(contents(one), (std::vector<void*>{&b}));
  EXPECT_EQ(one.count, 1);
  EXPECT_EQ(ia.list, nullptr);
  EXPECT_EQ(ia.next, &ib);  // the removed item keeps its old links
  one.remove(&ib);
  EXPECT_EQ(one.head.next, &one.tail);
  EXPECT_EQ(one.tail.prev, &one.head);
  EXPECT_EQ(one.count, 0);
}

TEST(Chain, PositionFromAnotherListAppends) {
  ZR_Chain one, two;
  ZR_Chain_Item ia(&a), ib(&b), ic(&c);
  one.insert(&ia);
  two.insert(&ib);
  one.insert(&ic, &ib);
  EXPECT_EQ(contents(one), (std::vector<void*>{&a, &c}));
  EXPECT_EQ(contents(two), (std::vector<void*>{&b}));
}

TEST(ChainItem, ConstructorSetsOnlyData) {
  ZR_Chain_Item item(&a);
  EXPECT_EQ(item.prev, nullptr);
  EXPECT_EQ(item.next, nullptr);
  EXPECT_EQ(item.list, nullptr);
  EXPECT_EQ(item.data, &a);
}

struct App : ZR_Apptpl {
  ZR_error build() override { return ZR_OK; }
  ZR_error attachWindow(ZR_Win*) override { return ZR_OK; }
  ZR_error detachWindow(ZR_Win*) override { return ZR_OK; }
  ZR_error teardown() override { return ZR_OK; }
};

TEST(Apptpl, BaseDefaults) {
  App app;
  EXPECT_EQ(app.hasChunk(), 0);
  ZR_value state = app.getState();
  EXPECT_EQ(state.type, 1);
  EXPECT_EQ(state.data, 0);
  EXPECT_EQ(state.length, -1);
  app.setState(ZR_value::ofBlock("x", 1));  // does nothing, must not crash
}

TEST(Object, DeleteDestroysThroughTheVirtualDestructor) {
  struct Counted : ZR_Object {
    int* counter;
    explicit Counted(int* c) : counter(c) {}
    ~Counted() override { ++*counter; }
  };
  int destroyed = 0;
  Counted* object = new Counted(&destroyed);
  ZR_value result = ZR_Object::m_delete(object, ZR_value::ofInt(1));
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(result.type, 1);
  EXPECT_FALSE(ZR_Object::isLive(object));
  ZR_value none = ZR_Object::m_delete(nullptr, ZR_EMPTY);
  EXPECT_EQ(none.type, 1);
}

}  // namespace
