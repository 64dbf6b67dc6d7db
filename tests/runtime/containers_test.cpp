#include "runtime/containers.h"

#include "tests/runtime/runtime_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <numeric>
#include <random>
#include <vector>

namespace hexwend::testing {
namespace {

int modesDestroyed = 0;

class CountedMode : public c_DisplayMode {
  public:
    ~CountedMode() override { ++modesDestroyed; }
};

class CountedSource : public Object, public c_IAsyncEventSource {
  public:
    ~CountedSource() override { ++modesDestroyed; }
    int p_UpdateAsyncEvents() override { return 0; }
};

c_Stack* modeStack;
c_Stack3* sourceStack;
c_IntMap* modeMap;

class ContainersTest : public RuntimeTest {
  protected:
    void SetUp() override {
        RuntimeTest::SetUp();
        modesDestroyed = 0;
        modeStack = nullptr;
        sourceStack = nullptr;
        modeMap = nullptr;
        gc_add_root("modeStack", modeStack);
        gc_add_root("sourceStack", sourceStack);
        gc_add_root("modeMap", modeMap);
        gc_init2();
    }
    void TearDown() override {
        modeStack = nullptr;
        sourceStack = nullptr;
        modeMap = nullptr;
        RuntimeTest::TearDown();
    }

    static void collectEverything() {
        gc_collect_all();
        gc_collect_all();
        gc_flush_free(INT_MAX);
    }

    static Array<String> strings(const std::vector<const char*>& texts) {
        Array<String> out(int(texts.size()));
        int i = 0;
        for (const char* t : texts) out[i++] = String(t);
        return out;
    }
};

// --- Stacks ------------------------------------------------------------------------------

TEST_F(ContainersTest, PushGrowsTheCapacityToTwiceTheLengthPlusTen) {
    const struct {
        int pushes;
        int capacity;
    } cases[] = {{0, 0}, {1, 10}, {10, 10}, {11, 30}, {30, 30}, {31, 70}, {71, 150}};
    for (const auto& c : cases) {
        auto* modes = (new c_Stack())->m_new();
        auto* texts = (new c_Stack2())->m_new();
        auto* sources = (new c_Stack3())->m_new();
        for (int i = 0; i < c.pushes; ++i) {
            modes->p_Push((new c_DisplayMode())->m_new(i, i));
            texts->p_Push4(String(i));
            sources->p_Push7(nullptr);
        }
        EXPECT_EQ(modes->m_data.Length(), c.capacity) << c.pushes;
        EXPECT_EQ(modes->m_length, c.pushes);
        EXPECT_EQ(texts->m_data.Length(), c.capacity) << c.pushes;
        EXPECT_EQ(texts->p_Length2(), c.pushes);
        EXPECT_EQ(sources->m_data.Length(), c.capacity) << c.pushes;
        EXPECT_EQ(sources->p_Length2(), c.pushes);
        for (int i = 0; i < c.pushes; ++i) {
            EXPECT_EQ(modes->m_data[i]->m_width, i);
            EXPECT_EQ(texts->p_Get(i), String(i));
        }
        for (int i = c.pushes; i < c.capacity; ++i) {
            EXPECT_EQ(modes->m_data[i], nullptr);
            EXPECT_EQ(texts->m_data[i].RepIdentity(), &String::nullRep);
        }
    }
}

TEST_F(ContainersTest, RangePushesAndCopies) {
    Array<String> source = strings({"a", "b", "c", "d"});
    auto* s = (new c_Stack2())->m_new2(source);
    source[0] = String("changed"); // the stack copied the array
    EXPECT_EQ(s->p_Length2(), 4);
    EXPECT_EQ(s->p_Get(0), String("a"));
    EXPECT_NE(s->m_data.GetRep(), source.GetRep());

    s->p_Push5(strings({"e", "f", "g"}), 1, 2);
    s->p_Push6(strings({"h", "i", "j"}), 2);
    Array<String> all = s->p_ToArray();
    EXPECT_EQ(chars(all), (std::vector<std::u16string>{u"a", u"b", u"c", u"d", u"f", u"g", u"j"}));
    EXPECT_EQ(all.Length(), 7);
    EXPECT_NE(all.GetRep(), s->m_data.GetRep());

    auto* modes = (new c_Stack())->m_new();
    EXPECT_EQ(modes->p_ToArray().GetRep(), &Array<c_DisplayMode*>::nullRep);
    Array<c_DisplayMode*> three(3);
    for (int i = 0; i < 3; ++i) three[i] = (new c_DisplayMode())->m_new(i, 0);
    modes->p_Push2(three, 1, 2);
    modes->p_Push3(three, 0);
    auto* copied = (new c_Stack())->m_new2(three);
    ASSERT_EQ(modes->m_length, 5);
    const int expected[] = {1, 2, 0, 1, 2};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(modes->p_ToArray()[i], three[expected[i]]);
    EXPECT_EQ(copied->m_length, 3);
    EXPECT_EQ(copied->p_ToArray()[2], three[2]);
}

TEST_F(ContainersTest, SettingTheLengthClearsOrGrows) {
    auto* s = (new c_StringStack())->m_new2();
    for (const char* t : {"a", "b", "c", "d", "e"}) s->p_Push4(String(t));
    s->p_Length(2);
    EXPECT_EQ(s->m_data.Length(), 10);
    s->p_Length(5);
    EXPECT_EQ(chars(s->p_ToArray()), (std::vector<std::u16string>{u"a", u"b", u"", u"", u""}));

    // Growth by setting the length: 2n + 10, or the new length when that is larger.
    const struct {
        int from;
        int to;
        int capacity;
    } cases[] = {{0, 3, 10}, {5, 11, 20}, {5, 40, 40}, {0, 0, 0}, {8, 10, 10}};
    for (const auto& c : cases) {
        auto* t = (new c_Stack2())->m_new();
        if (c.from > 0) t->p_Length(c.from);
        int before = t->m_data.Length();
        t->p_Length(c.to);
        EXPECT_EQ(t->p_Length2(), c.to);
        EXPECT_EQ(t->m_data.Length(), c.to > before ? c.capacity : before)
            << c.from << " -> " << c.to;
    }
}

TEST_F(ContainersTest, ClearEmptiesTheSlotsButKeepsTheCapacity) {
    String held("held");
    auto* s = (new c_Stack2())->m_new();
    for (int i = 0; i < 12; ++i) s->p_Push4(held);
    const int refs = held.RepIdentity()->refs; // also counts the outgrown array's copies
    s->p_Clear();
    EXPECT_EQ(s->p_Length2(), 0);
    EXPECT_EQ(s->m_data.Length(), 30);
    EXPECT_EQ(held.RepIdentity()->refs, refs - 12);
    s->p_Push4(String("x"));
    EXPECT_EQ(s->p_Get(0), String("x"));
}

TEST_F(ContainersTest, StringStackJoins) {
    const struct {
        std::vector<const char*> items;
        const char* separator;
        const char16_t* text;
    } cases[] = {
        {{"a", "b", "c"}, ",", u"a,b,c"}, {{"a", "b", "c"}, "", u"abc"}, {{}, ",", u""},
        {{"only"}, ", ", u"only"},        {{"", "x", ""}, "-", u"-x-"},
    };
    for (const auto& c : cases) {
        auto* s = (new c_StringStack())->m_new(strings(c.items));
        EXPECT_EQ(chars(s->p_Join(String(c.separator))), c.text);
    }
    String only("only");
    auto* one = (new c_StringStack())->m_new2();
    one->p_Push4(only);
    EXPECT_EQ(one->p_Join(String(",")).RepIdentity(), only.RepIdentity());
}

TEST_F(ContainersTest, SourceStackFindsByReference) {
    auto* a = new CountedSource();
    auto* b = new CountedSource();
    auto* s = (new c_Stack3())->m_new();
    s->p_Push7(a);
    EXPECT_TRUE(s->p_Contains2(a));
    EXPECT_FALSE(s->p_Contains2(b));
    EXPECT_TRUE(s->p_Equals(a, a));
    EXPECT_FALSE(s->p_Equals(a, b));
    s->p_Length(0); // the slot is cleared: no longer found
    EXPECT_FALSE(s->p_Contains2(a));
    Array<c_IAsyncEventSource*> both{a, b};
    auto* copy = (new c_Stack3())->m_new2(both);
    copy->p_Push8(both, 1, 1);
    copy->p_Push9(both, 0);
    EXPECT_EQ(copy->p_Length2(), 5);
    EXPECT_EQ(copy->p_Get(2), static_cast<c_IAsyncEventSource*>(b));
    EXPECT_TRUE(copy->p_Contains2(b));
}

TEST_F(ContainersTest, StacksKeepTheirElementsAcrossCollections) {
    gc_assign(modeStack, (new c_Stack())->m_new());
    gc_assign(sourceStack, (new c_Stack3())->m_new());
    for (int i = 0; i < 200; ++i) {
        // Pushed between collection steps that keep sweeping, so that the stack, its arrays
        // and the new elements are in every colour when the stores happen.
        modeStack->p_Push((new CountedMode())->m_new(i, i));
        sourceStack->p_Push7(new CountedSource());
        if (i % 7 == 0) gc_ext_malloced(9 * 1024 * 1024);
        gc_collect();
    }
    collectEverything();
    EXPECT_EQ(modesDestroyed, 0);
    for (int i = 0; i < 200; ++i) EXPECT_EQ(modeStack->m_data[i]->m_width, i);

    sourceStack->p_Length(50); // cleared slots let their sources go
    collectEverything();
    EXPECT_EQ(modesDestroyed, 150);
    gc_assign(modeStack, nullptr);
    gc_assign(sourceStack, nullptr);
    collectEverything();
    EXPECT_EQ(modesDestroyed, 400);
}

// --- The int map -------------------------------------------------------------------------

// Checks the red-black rules below node and returns its black height.
int checkRedBlack(c_Node* node, c_Node* parent, int low, int high) {
    if (!node) return 1;
    EXPECT_EQ(node->m_parent, parent);
    EXPECT_TRUE(node->m_color == -1 || node->m_color == 1);
    EXPECT_GT(node->m_key, low);
    EXPECT_LT(node->m_key, high);
    if (node->m_color == -1) {
        EXPECT_FALSE(node->m_left && node->m_left->m_color == -1) << "red-red at " << node->m_key;
        EXPECT_FALSE(node->m_right && node->m_right->m_color == -1) << "red-red at " << node->m_key;
    }
    int left = checkRedBlack(node->m_left, node, low, node->m_key);
    int right = checkRedBlack(node->m_right, node, node->m_key, high);
    EXPECT_EQ(left, right) << "black heights differ under " << node->m_key;
    return left + (node->m_color == 1 ? 1 : 0);
}

void pathLengths(c_Node* node, int depth, int* shortest, int* longest) {
    if (!node) {
        *shortest = std::min(*shortest, depth);
        *longest = std::max(*longest, depth);
        return;
    }
    pathLengths(node->m_left, depth + 1, shortest, longest);
    pathLengths(node->m_right, depth + 1, shortest, longest);
}

TEST_F(ContainersTest, MapStaysBalancedForEveryInsertionOrder) {
    std::vector<int> ascending(1000);
    std::iota(ascending.begin(), ascending.end(), 1);
    std::vector<int> descending(ascending.rbegin(), ascending.rend());
    std::vector<int> shuffled = ascending;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(5));
    std::vector<int> zigzag;
    for (int i = 0; i < 500; ++i) {
        zigzag.push_back(i + 1);
        zigzag.push_back(1000 - i);
    }
    for (const auto* keys : {&ascending, &descending, &shuffled, &zigzag}) {
        auto* map = (new c_IntMap())->m_new();
        for (int key : *keys) {
            EXPECT_TRUE(map->p_Set(key, (new c_DisplayMode())->m_new(key, -key)));
        }
        ASSERT_NE(map->m_root, nullptr);
        EXPECT_EQ(map->m_root->m_color, 1);
        checkRedBlack(map->m_root, nullptr, INT_MIN, INT_MAX);
        int shortest = INT_MAX, longest = 0;
        pathLengths(map->m_root, 0, &shortest, &longest);
        EXPECT_LE(longest, 2 * shortest);
        for (int key : *keys) {
            c_Node* node = map->p_FindNode(key);
            ASSERT_NE(node, nullptr) << key;
            EXPECT_EQ(node->m_key, key);
            EXPECT_EQ(node->m_value->m_height, -key);
        }
        EXPECT_FALSE(map->p_Contains(0));
        EXPECT_FALSE(map->p_Contains(1001));
        EXPECT_EQ(map->p_FindNode(-5), nullptr);
    }
}

TEST_F(ContainersTest, SettingAnExistingKeyReplacesTheValue) {
    auto* map = (new c_IntMap())->m_new();
    EXPECT_FALSE(map->p_Contains(640 * 65536 + 480));
    auto* first = (new c_DisplayMode())->m_new(640, 480);
    auto* second = (new c_DisplayMode())->m_new(640, 480);
    EXPECT_TRUE(map->p_Insert(640 * 65536 + 480, first));
    EXPECT_FALSE(map->p_Set(640 * 65536 + 480, second));
    EXPECT_TRUE(map->p_Contains(640 * 65536 + 480));
    EXPECT_EQ(map->m_root->m_left, nullptr);
    EXPECT_EQ(map->m_root->m_right, nullptr);
    EXPECT_EQ(map->p_FindNode(640 * 65536 + 480)->m_value, second);
    EXPECT_LT(map->p_Compare(1, 2), 0);
    EXPECT_GT(map->p_Compare(2, 1), 0);
    EXPECT_EQ(map->p_Compare(7, 7), 0);
}

TEST_F(ContainersTest, MapKeepsNodesAndValuesAcrossCollections) {
    gc_assign(modeMap, (new c_IntMap())->m_new());
    std::mt19937 random(9);
    for (int i = 0; i < 300; ++i) {
        int key = int(random() % 1000);
        modeMap->p_Set(key, (new CountedMode())->m_new(key, i));
        if (i % 11 == 0) gc_ext_malloced(9 * 1024 * 1024);
        gc_collect();
    }
    int replaced = modesDestroyed; // values overwritten by a later p_Set of the same key
    collectEverything();
    int kept = 0;
    std::vector<c_Node*> stack{modeMap->m_root};
    while (!stack.empty()) {
        c_Node* node = stack.back();
        stack.pop_back();
        if (!node) continue;
        ++kept;
        EXPECT_EQ(node->m_value->m_width, node->m_key);
        stack.push_back(node->m_left);
        stack.push_back(node->m_right);
    }
    EXPECT_EQ(kept + modesDestroyed, 300);
    EXPECT_GE(modesDestroyed, replaced);
    gc_assign(modeMap, nullptr);
    collectEverything();
    EXPECT_EQ(modesDestroyed, 300);
}

} // namespace
} // namespace hexwend::testing
