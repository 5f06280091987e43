#include <gtest/gtest.h>

#include <set>

#include "standins/o32_tts/instances.h"

using namespace Orvane::standin;

TEST(Instances, HandlesAreDistinctNonZeroAndDieWithClose) {
    instance_table table;
    std::set<uint32_t> handles;
    for (int i = 0; i < 5; ++i) handles.insert(table.create());
    EXPECT_EQ(handles.size(), 5u);
    EXPECT_EQ(handles.count(0), 0u);
    const uint32_t first = *handles.begin();
    EXPECT_TRUE(table.close(first));
    EXPECT_FALSE(table.close(first)) << "closed twice";
    EXPECT_EQ(table.find(first), nullptr);
    EXPECT_EQ(table.find(0), nullptr);
    EXPECT_EQ(table.find(0xdeadbeef), nullptr);
    EXPECT_EQ(table.size(), 4u);
    EXPECT_EQ(handles.count(table.create()), 0u) << "a closed handle is not handed out again at once";
}

TEST(Instances, ParametersBelongToOneInstance) {
    instance_table table;
    const uint32_t a = table.create();
    const uint32_t b = table.create();
    table.find(a)->set_param(param_rate, 100);
    table.find(a)->set_param(param_volume, -30);
    table.find(b)->set_param(0x4242, 9);
    EXPECT_EQ(table.find(a)->params().rate, 100);
    EXPECT_EQ(table.find(a)->params().volume, -30);
    EXPECT_EQ(table.find(b)->params().rate, 0);
    EXPECT_EQ(table.find(b)->params().volume, 0);
}

TEST(Instances, AnInstanceInUseOutlivesItsClose) {
    instance_table table;
    const uint32_t handle = table.create();
    auto held = table.find(handle);
    held->set_param(param_rate, 50);
    table.close(handle);
    EXPECT_EQ(held->params().rate, 50);
}

TEST(Instances, OnlyOneUtteranceAtATimePerInstance) {
    instance_table table;
    auto a = table.find(table.create());
    auto b = table.find(table.create());
    {
        const utterance_claim outer(*a);
        EXPECT_TRUE(outer.owned());
        const utterance_claim nested(*a);
        EXPECT_FALSE(nested.owned()) << "re-entered while speaking";
        const utterance_claim other(*b);
        EXPECT_TRUE(other.owned()) << "another instance is independent";
    }
    const utterance_claim later(*a);
    EXPECT_TRUE(later.owned()) << "the claim ends with the utterance";
}
