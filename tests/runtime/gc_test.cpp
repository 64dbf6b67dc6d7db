#include "runtime/gc.h"

#include "runtime/containers.h"
#include "tests/runtime/runtime_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

namespace hexwend::testing {
namespace {

// Destruction log of the test objects below, by id.
std::vector<char> destroyed;
int destroyedCount = 0;

void resetDestroyed() {
    destroyed.clear();
    destroyedCount = 0;
}

void noteDestroyed(int id) {
    if (id < 0) return;
    if (size_t(id) >= destroyed.size()) destroyed.resize(size_t(id) + 1, 0);
    EXPECT_FALSE(destroyed[size_t(id)]) << "object " << id << " destroyed twice";
    destroyed[size_t(id)] = 1;
    ++destroyedCount;
}

bool wasDestroyed(int id) {
    return size_t(id) < destroyed.size() && destroyed[size_t(id)];
}

// A collected object with two references and an array of references.
class Probe : public Object {
  public:
    explicit Probe(int id = -1) : m_id(id) {}
    ~Probe() override { noteDestroyed(m_id); }
    void mark() override {
        gc_mark_q(m_a);
        gc_mark_q(m_b);
        gc_mark_q(m_list);
    }

    int m_id;
    Probe* m_a = nullptr;
    Probe* m_b = nullptr;
    Array<Probe*> m_list;
};

// An object of exactly Size bytes.
template <size_t Size> class Blob : public gc_object {
  public:
    explicit Blob(int id = -1) : m_id(id) { std::memset(m_bytes, 0, sizeof m_bytes); }
    ~Blob() override { noteDestroyed(m_id); }

    int m_id;
    char m_bytes[Size - sizeof(gc_object) - sizeof(int) + 4];
};
static_assert(sizeof(Blob<32>) == 32 && sizeof(Blob<40>) == 40 && sizeof(Blob<48>) == 48 &&
              sizeof(Blob<56>) == 56 && sizeof(Blob<64>) == 64 && sizeof(Blob<104>) == 104);

// An event source held through its interface.
class Source : public Object, public c_IAsyncEventSource {
  public:
    explicit Source(int id) : m_id(id) {}
    ~Source() override { noteDestroyed(m_id); }
    int p_UpdateAsyncEvents() override { return 0; }
    int m_id;
};

Probe* rootProbes[4];
Array<Probe*> rootArray;

class GcTest : public RuntimeTest {
  protected:
    void SetUp() override {
        RuntimeTest::SetUp();
        resetDestroyed();
        std::fill(std::begin(rootProbes), std::end(rootProbes), nullptr);
        rootArray = Array<Probe*>();
        for (Probe*& slot : rootProbes) gc_add_root("rootProbes", slot);
        gc_add_root("rootArray", rootArray);
        gc_init2();
    }
    void TearDown() override {
        std::fill(std::begin(rootProbes), std::end(rootProbes), nullptr);
        rootArray = Array<Probe*>();
        RuntimeTest::TearDown();
    }

    // Two full cycles and a flush: whatever is unreachable now is destroyed afterwards.
    static void collectEverything() {
        gc_collect_all();
        gc_collect_all();
        gc_flush_free(INT_MAX);
    }

    static void validateLists() {
        gc_validate_list(&gc_unmarked_list, "unmarked");
        gc_validate_list(&gc_queued_list, "queued");
        gc_validate_list(&gc_marked_list, "marked");
        gc_validate_list(&gc_free_list, "free");
    }
};

// --- Allocation and size classes ---------------------------------------------------------

TEST_F(GcTest, AllocationRoundsUpToMultiplesOf8) {
    const struct {
        int request;
        int size;
    } cases[] = {{1, 8}, {8, 8}, {17, 24}, {20, 24}, {24, 24}, {25, 32}, {100, 104}, {4000, 4000}};
    for (const auto& c : cases) {
        const int newBefore = gc_new_bytes, allocBefore = gc_alloced_bytes;
        void* block = gc_object_alloc(c.request);
        EXPECT_EQ(gc_new_bytes - newBefore, c.size) << c.request;
        EXPECT_EQ(gc_alloced_bytes - allocBefore, c.size) << c.request;
        if (c.size >= int(sizeof(gc_object))) {
            // Give the block an object so that the collector can take it back.
            auto* object = ::new (block) gc_object();
            EXPECT_EQ(object->flags & ~7u, uint32_t(c.size));
            EXPECT_EQ(int(object->flags & 3), gc_markbit); // starts white
            EXPECT_TRUE(gc_is_live(object));
        } else {
            // Smaller than an object header on this platform: no object can live there,
            // so the block goes straight back to the C heap it came from.
            std::free(block);
        }
    }
}

template <size_t Size> void expectBlockReuse(int smallestRequest) {
    SCOPED_TRACE(Size);
    auto* first = new Blob<Size>(1);
    gc_collect_all(); // unreachable: goes to the free list
    EXPECT_FALSE(wasDestroyed(1));
    gc_flush_free(INT_MAX);
    EXPECT_TRUE(wasDestroyed(1));
    EXPECT_EQ(gc_cache[Size / 8], first);
    for (int request : {smallestRequest, int(Size)}) {
        void* block = gc_object_alloc(request);
        EXPECT_EQ(block, first) << request;
        ::new (block) Blob<Size>(-1);
        gc_collect_all();
        gc_flush_free(INT_MAX);
    }
    resetDestroyed();
}

TEST_F(GcTest, FreedSmallBlocksAreReusedByTheirSizeClass) {
    expectBlockReuse<32>(25);
    expectBlockReuse<40>(33);
    expectBlockReuse<48>(41);
    expectBlockReuse<56>(49);
}

TEST_F(GcTest, FreedLargeBlocksGoBackToTheHeap) {
    for (bool large : {false, true}) {
        gc_object* before[8];
        std::copy(std::begin(gc_cache), std::end(gc_cache), before);
        if (large)
            new Blob<104>(1);
        else
            new Blob<64>(1);
        collectEverything();
        EXPECT_TRUE(wasDestroyed(1));
        EXPECT_TRUE(std::equal(std::begin(gc_cache), std::end(gc_cache), before))
            << (large ? "104" : "64") << "-byte block went to a cache";
        resetDestroyed();
    }
}

TEST_F(GcTest, ObjectsNotFromTheCollectorAreNeverCollected) {
    Probe onStack(7);
    EXPECT_EQ(onStack.flags & 3, 3u);
    EXPECT_FALSE(gc_is_live(&onStack));
    gc_assign(rootProbes[0], &onStack);
    collectEverything();
    EXPECT_EQ(gc_list_count(&gc_queued_list) + gc_list_count(&gc_marked_list), 0);
    EXPECT_FALSE(wasDestroyed(7));
    rootProbes[0] = nullptr;
    resetDestroyed();
}

TEST_F(GcTest, ValueInitialisedAndNestedConstructionsAreLinked) {
    // new T() zeroes the whole object before its constructors run; new X(new Y) allocates X
    // before Y is built. Both must leave correct headers on the unmarked list.
    auto* zeroed = new c_Node();
    EXPECT_TRUE(gc_is_live(zeroed));
    EXPECT_EQ(zeroed->flags & ~7u, uint32_t((sizeof(c_Node) + 7) & ~size_t(7)));
    EXPECT_EQ(zeroed->m_left, nullptr);

    struct Holder : Object {
        explicit Holder(Probe* p) : m_p(p) {}
        Probe* m_p;
    };
    auto* holder = new Holder(new Probe(3));
    EXPECT_TRUE(gc_is_live(holder));
    EXPECT_TRUE(gc_is_live(holder->m_p));
    EXPECT_EQ(holder->flags & ~7u, uint32_t((sizeof(Holder) + 7) & ~size_t(7)));
    EXPECT_EQ(holder->m_p->flags & ~7u, uint32_t((sizeof(Probe) + 7) & ~size_t(7)));
    EXPECT_EQ(gc_list_count(&gc_unmarked_list), 3);
    validateLists();
}

// --- Destruction paced by allocation -----------------------------------------------------

TEST_F(GcTest, UnreachableObjectsDieInALaterAllocationNotInTheSweep) {
    new Probe(1);
    gc_collect_all();
    EXPECT_FALSE(wasDestroyed(1));
    EXPECT_EQ(gc_list_count(&gc_free_list), 1);
    EXPECT_EQ(gc_free_bytes, int(sizeof(Probe)));
    new Probe(2);
    EXPECT_TRUE(wasDestroyed(1));
    EXPECT_EQ(gc_free_bytes, 0);
    EXPECT_FALSE(wasDestroyed(2));
}

TEST_F(GcTest, EachAllocationDestroysAboutAsMuchGarbageAsItTakes) {
    // Ten 32-byte objects of garbage; each case allocates and counts what died.
    const struct {
        int request;
        int destroyed;
    } cases[] = {{32, 1}, {8, 1}, {104, 4}, {200, 7}};
    for (const auto& c : cases) {
        for (int i = 0; i < 10; ++i) new Blob<32>(i);
        gc_collect_all();
        ASSERT_EQ(gc_list_count(&gc_free_list), 10);
        resetDestroyed();
        void* block = gc_object_alloc(c.request);
        EXPECT_EQ(destroyedCount, c.destroyed) << c.request;
        if (c.request >= 32) {
            ::new (block) gc_object();
        } else {
            std::free(block);
        }
        gc_collect_all();
        gc_flush_free(INT_MAX);
        resetDestroyed();
    }
}

TEST_F(GcTest, FlushFreeDestroysAtLeastTheBytesAsked) {
    for (int i = 0; i < 5; ++i) new Blob<32>(i);
    gc_collect_all();
    gc_flush_free(40);
    EXPECT_EQ(destroyedCount, 2);
    EXPECT_TRUE(wasDestroyed(0) && wasDestroyed(1)); // oldest first
    gc_flush_free(0);
    EXPECT_EQ(destroyedCount, 2);
    gc_flush_free(INT_MAX);
    EXPECT_EQ(destroyedCount, 5);
    EXPECT_EQ(gc_free_bytes, 0);
}

// --- Marking, the roots and the write barrier --------------------------------------------

TEST_F(GcTest, ObjectsReachableFromRootsSurvive) {
    auto* a = new Probe(1);
    gc_assign(rootProbes[0], a);
    gc_assign(a->m_a, new Probe(2));
    gc_assign(a->m_list, Array<Probe*>(3));
    gc_assign(a->m_list[2], new Probe(3));
    gc_assign(a->m_list[2]->m_b, a); // a cycle back to the root object
    new Probe(4);                    // garbage
    collectEverything();
    EXPECT_EQ(destroyedCount, 1);
    EXPECT_TRUE(wasDestroyed(4));

    gc_assign(a->m_list[2], nullptr); // cuts 3
    collectEverything();
    EXPECT_TRUE(wasDestroyed(3));
    gc_assign(rootProbes[0], nullptr); // cuts the rest, cycle included
    collectEverything();
    EXPECT_TRUE(wasDestroyed(1) && wasDestroyed(2));
    EXPECT_EQ(gc_list_count(&gc_unmarked_list), 0);
}

TEST_F(GcTest, StoreIntoAScannedObjectSurvivesOnlyThroughTheBarrier) {
    for (bool barrier : {true, false}) {
        SCOPED_TRACE(barrier ? "through gc_assign" : "plain store");
        auto* holder = new Probe(1);
        gc_assign(rootProbes[0], holder);
        collectEverything();     // holder is an old, white survivor; the roots are queued
        gc_mark_queued(INT_MAX); // holder is scanned: nothing more will look at it
        ASSERT_EQ(gc_list_count(&gc_queued_list), 0);
        auto* late = new Probe(2); // created after the roots were queued
        if (barrier)
            gc_assign(holder->m_a, late);
        else
            holder->m_a = late;
        gc_collect_all();
        gc_flush_free(INT_MAX);
        EXPECT_EQ(wasDestroyed(2), !barrier);
        holder->m_a = nullptr; // a lost object must not be scanned
        gc_assign(rootProbes[0], nullptr);
        collectEverything();
        resetDestroyed();
    }
}

TEST_F(GcTest, StoreIntoARootGlobalGoesThroughTheBarrier) {
    gc_mark_queued(INT_MAX); // the roots were queued at start-up and are now scanned
    gc_assign(rootProbes[1], new Probe(1));
    gc_assign(rootArray, Array<Probe*>(2));
    gc_assign(rootArray[0], new Probe(2));
    gc_collect_all();
    gc_flush_free(INT_MAX);
    EXPECT_EQ(destroyedCount, 0);
    EXPECT_TRUE(gc_is_live(rootProbes[1]) && gc_is_live(rootArray[0]));
}

TEST_F(GcTest, InterfaceReferencesAreMarkedAsTheirObjects) {
    // A global and an array element, each holding an object only through its interface.
    static Array<c_IAsyncEventSource*> sources;
    sources = Array<c_IAsyncEventSource*>();
    gc_add_root("sources", sources);
    gc_assign(c_Stack3::m_NIL, static_cast<c_IAsyncEventSource*>(new Source(1)));
    gc_assign(sources, Array<c_IAsyncEventSource*>(2));
    gc_assign(sources[1], static_cast<c_IAsyncEventSource*>(new Source(2)));
    collectEverything();
    EXPECT_EQ(destroyedCount, 0);
    gc_assign(c_Stack3::m_NIL, nullptr);
    gc_assign(sources[1], nullptr);
    collectEverything();
    EXPECT_TRUE(wasDestroyed(1));
    EXPECT_TRUE(wasDestroyed(2));
    sources = Array<c_IAsyncEventSource*>();
}

TEST_F(GcTest, StoredArraysKeepTheirElementsAndStringArraysReleaseThem) {
    String text("held by an array");
    {
        Array<String> strings(3);
        strings[0] = text;
        strings[2] = text;
        EXPECT_EQ(text.RepIdentity()->refs, 3);
        EXPECT_EQ(strings[1].RepIdentity(), &String::nullRep);
    }
    collectEverything();
    EXPECT_EQ(text.RepIdentity()->refs, 1);
}

TEST_F(GcTest, MarkingKeepsPaceWithAllocation) {
    // A chain of 2000 objects is scanned one link per queued object; after allocating n
    // bytes a collection step has scanned at least n bytes of it.
    Probe* head = nullptr;
    for (int i = 0; i < 2000; ++i) {
        auto* p = new Probe(i);
        gc_assign(p->m_a, head);
        head = p;
    }
    gc_assign(rootProbes[0], head);
    gc_collect_all(); // sweeps nothing live; queues the chain's head
    gc_new_bytes = 0; // as after a sweep made by a collection step
    gc_collect();     // nothing allocated yet: no marking work
    EXPECT_EQ(gc_marked_bytes, 0);
    for (int i = 0; i < 100; ++i) new Blob<32>(-1);
    gc_collect();
    EXPECT_GE(gc_marked_bytes, 3200);
    EXPECT_LT(gc_marked_bytes, 2000 * int(sizeof(Probe)));
    EXPECT_EQ(gc_list_count(&gc_queued_list), 1);
    while (gc_list_count(&gc_queued_list) > 0) {
        for (int i = 0; i < 100; ++i) new Blob<32>(-1);
        gc_collect();
    }
    collectEverything();
    EXPECT_EQ(destroyedCount, 0);
}

// --- Sweep trigger -----------------------------------------------------------------------

TEST_F(GcTest, CollectionStepSweepsAfter8MiBIncludingDecodedBytes) {
    constexpr int kMiB = 1024 * 1024;
    const struct {
        int external;
        int own; // bytes allocated by the program itself, in 4000-byte arrays
        bool sweeps;
    } cases[] = {
        {0, 40000, false},          {9 * kMiB, 40000, true}, {7 * kMiB, 40000, false},
        {8 * kMiB, 0, false},       {8 * kMiB, 40000, true}, {0, 9 * kMiB, true},
        {6 * kMiB, 3 * kMiB, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.external);
        SCOPED_TRACE(c.own);
        collectEverything();
        gc_new_bytes = 0;
        resetDestroyed();
        new Probe(1);
        gc_new_bytes = 0;
        for (int done = 0; done < c.own; done += 4000) Array<int> garbage(1000 - 8);
        gc_ext_malloced(c.external);
        const int markbit = gc_markbit;
        gc_collect();
        EXPECT_EQ(gc_markbit != markbit, c.sweeps);
        EXPECT_EQ(gc_list_count(&gc_free_list) > 0, c.sweeps);
        if (c.sweeps) {
            EXPECT_EQ(gc_ext_new_bytes.load(), 0);
            EXPECT_EQ(gc_new_bytes, 0);
        } else {
            EXPECT_EQ(gc_ext_new_bytes.load(), c.external);
        }
        EXPECT_FALSE(wasDestroyed(1)); // a sweep finds garbage; it does not destroy it
        gc_ext_new_bytes.store(0);
    }
}

// Worker threads must never allocate collected objects; checking builds stop the process at
// the first one instead of letting it corrupt the collector's lists.
TEST_F(GcTest, AllocatingOffTheMainThreadStopsACheckingBuild) {
#ifdef NDEBUG
    GTEST_SKIP() << "the check is in debug and sanitizer builds only";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            std::thread worker([] { new Object(); });
            worker.join();
        },
        "Collected object allocated off the main thread");
    EXPECT_TRUE(gc_is_live(new Object())); // the main thread still may
#endif
}

TEST_F(GcTest, DecodedBytesMayBeCountedFromOtherThreads) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([] {
            for (int i = 0; i < 10000; ++i) gc_ext_malloced(3);
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(gc_ext_new_bytes.load(), 4 * 10000 * 3);
}

// --- Arrays ------------------------------------------------------------------------------

TEST_F(GcTest, EmptyArraysOfOneElementTypeShareOneRepresentation) {
    EXPECT_EQ(Array<int>().GetRep(), Array<int>(0).GetRep());
    EXPECT_EQ(Array<int>(-5).GetRep(), &Array<int>::nullRep);
    EXPECT_EQ(Array<float>(0).GetRep(), &Array<float>::nullRep);
    EXPECT_EQ(Array<bool>(0).GetRep(), &Array<bool>::nullRep);
    EXPECT_EQ(Array<String>(0).GetRep(), &Array<String>::nullRep);
    EXPECT_EQ(Array<Probe*>(0).GetRep(), &Array<Probe*>::nullRep);
    EXPECT_EQ((Array<int>{1, 2}.Slice(1, 1).GetRep()), &Array<int>::nullRep);
    EXPECT_EQ((Array<int>{1, 2}.Resize(0).GetRep()), &Array<int>::nullRep);
    EXPECT_EQ(Array<int>::nullRep.flags & 3, 3u);

    gc_assign(rootArray, Array<Probe*>());
    collectEverything();
    EXPECT_EQ(gc_list_count(&gc_unmarked_list), 0); // the empty array is on no list
    EXPECT_EQ(Array<Probe*>::nullRep.length, 0);
}

TEST_F(GcTest, NewArraysStartZeroEvenInAReusedBlock) {
    const void* dirtyBlock;
    {
        Array<int> dirty(4);
        for (int i = 0; i < 4; ++i) dirty[i] = 0x5a5a5a5a;
        dirtyBlock = dirty.GetRep();
    }
    collectEverything();
    Array<int> ints(4);
    EXPECT_EQ(ints.GetRep(), dirtyBlock);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(ints[i], 0);
    Array<float> floats(3);
    Array<bool> bools(5);
    Array<Probe*> refs(2);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(floats[i], 0.0f);
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(bools[i]);
    for (int i = 0; i < 2; ++i) EXPECT_EQ(refs[i], nullptr);
}

TEST_F(GcTest, ArraySliceAndResizeCopyTheCommonPart) {
    Array<int> a{1, 2, 3, 4, 5};
    const struct {
        int from, to;
        std::vector<int> elements;
    } cases[] = {
        {1, 3, {2, 3}}, {-2, 5, {4, 5}}, {0, -1, {1, 2, 3, 4}}, {3, 99, {4, 5}}, {4, 2, {}}};
    for (const auto& c : cases) {
        Array<int> s = a.Slice(c.from, c.to);
        EXPECT_EQ(std::vector<int>(s.Data(), s.Data() + s.Length()), c.elements);
    }
    Array<int> longer = a.Resize(7);
    EXPECT_EQ(std::vector<int>(longer.Data(), longer.Data() + 7),
              (std::vector<int>{1, 2, 3, 4, 5, 0, 0}));
    Array<int> shorter = a.Resize(2);
    EXPECT_EQ(std::vector<int>(shorter.Data(), shorter.Data() + 2), (std::vector<int>{1, 2}));
}

// --- Objects -----------------------------------------------------------------------------

TEST_F(GcTest, ObjectsCompareByIdentity) {
    auto* a = new Probe(1);
    auto* b = new Probe(2);
    Probe onStack; // far from the heap: the order must not come from a truncated difference
    EXPECT_EQ(a->Compare(a), 0);
    EXPECT_TRUE(a->Equals(a));
    EXPECT_FALSE(a->Equals(b));
    for (Object* other : {static_cast<Object*>(b), static_cast<Object*>(&onStack)}) {
        int ab = a->Compare(other), ba = other->Compare(a);
        EXPECT_NE(ab, 0);
        EXPECT_EQ(ab > 0, ba < 0);
        EXPECT_EQ(ab < 0, reinterpret_cast<uintptr_t>(static_cast<Object*>(a)) <
                              reinterpret_cast<uintptr_t>(other));
    }
    EXPECT_EQ(chars(a->debug()), u"+Object\n");
}

TEST_F(GcTest, MicrosecondsAdvance) {
    int start = gc_micros();
    std::this_thread::sleep_for(std::chrono::milliseconds(3));
    // The count is an int and wraps every 71 minutes; differences are taken modulo 2^32.
    int elapsed = int(unsigned(gc_micros()) - unsigned(start));
    EXPECT_GE(elapsed, 3000);
    EXPECT_LT(elapsed, 3000000);
}

// --- Roots and start-up ------------------------------------------------------------------

int moduleCalls[2];
Probe* moduleGlobal;

int firstModuleInit() {
    ++moduleCalls[0];
    moduleGlobal = nullptr;
    gc_add_root("moduleGlobal", moduleGlobal);
    return 0;
}

int secondModuleInit() {
    ++moduleCalls[1];
    gc_add_root("rootArray", rootArray);
    return 0;
}

TEST_F(GcTest, StartUpRunsEachModuleOnceAndRegistersRootsInOrder) {
    moduleCalls[0] = moduleCalls[1] = 0;
    rtAddModuleInit(firstModuleInit);
    rtAddModuleInit(secondModuleInit);
    rtAddModuleInit(firstModuleInit); // already added
    rtInit();
    EXPECT_EQ(moduleCalls[0], 1);
    EXPECT_EQ(moduleCalls[1], 1);
    ASSERT_EQ(gc_root_count(), 3);
    EXPECT_STREQ(gc_root_name(0), "moduleGlobal");
    EXPECT_STREQ(gc_root_name(1), "rootArray");
    EXPECT_STREQ(gc_root_name(2), "c_Stack3::m_NIL");

    // A registered global keeps what it holds; gc_root_object reports it.
    gc_init2();
    gc_assign(moduleGlobal, new Probe(1));
    EXPECT_EQ(gc_root_object(0), moduleGlobal);
    collectEverything();
    EXPECT_FALSE(wasDestroyed(1));

    rtInit(); // a second start-up resets the global and registers the same roots again
    EXPECT_EQ(moduleGlobal, nullptr);
    EXPECT_EQ(gc_root_count(), 3);
    collectEverything();
    EXPECT_TRUE(wasDestroyed(1));
    rtClearModuleInits();
}

// --- Randomised graphs -------------------------------------------------------------------

// Random object graphs are built, relinked and cut between collection steps. A model of the
// graph, kept beside it, says which objects are reachable from the roots: none of those may
// ever be destroyed, and every other one must be destroyed once the collector has run two
// full cycles and drained its free list.
class GraphModel {
  public:
    struct Node {
        Probe* object = nullptr;
        int a = -1, b = -1;
        std::vector<int> list;
    };

    explicit GraphModel(unsigned seed) : random(seed) {}

    void step() {
        std::vector<int> live = reachable();
        // Phases of growth and of shrinking, so that large graphs are built and cut down.
        bool growing = (steps++ / 1500) % 2 == 0 ? live.size() < 800 : live.size() < 30;
        int op = pick(100);
        if (op < (growing ? 50 : 20) || live.empty()) {
            int id = create();
            if (pick(5) > 0) attach(id, live); // one in five is garbage at once
        } else if (op < 70) {
            int from = pickFrom(live), to = pick(6) ? pickFrom(live) : -1;
            if (growing) {
                fill(from, to);
            } else {
                link(from, to);
            }
        } else if (op < (growing ? 72 : 80)) {
            cut(pickFrom(live));
        } else if (op < 85) {
            giveList(pickFrom(live), live);
        } else if (op < (growing ? 85 : 88)) {
            setRoot(int(pick(4)), pick(4) ? pickFrom(live) : -1);
        } else if (op < 96) {
            Array<int> garbage(int(pick(20000))); // allocation that paces the collector
        } else {
            gc_ext_malloced(int(pick(3 * 1024 * 1024)));
        }
        gc_collect();
    }

    // Every reachable object is still alive.
    void checkReachableAlive() {
        for (int id : reachable()) {
            ASSERT_FALSE(wasDestroyed(id)) << "reachable object " << id << " was destroyed";
            ASSERT_EQ(nodes[size_t(id)].object->m_id, id);
        }
    }

    // After two full cycles exactly the unreachable objects have been destroyed.
    void checkCollected() {
        gc_collect_all();
        gc_collect_all();
        gc_flush_free(INT_MAX);
        std::vector<int> live = reachable();
        std::vector<char> isLive(nodes.size(), 0);
        for (int id : live) isLive[size_t(id)] = 1;
        for (size_t id = 0; id < nodes.size(); ++id) {
            ASSERT_EQ(wasDestroyed(int(id)), !isLive[id]) << "object " << id;
        }
    }

    void dropRoots() {
        for (int r = 0; r < 4; ++r) setRoot(r, -1);
    }

    int created() const { return int(nodes.size()); }

  private:
    unsigned pick(unsigned n) { return unsigned(random() % n); }
    int pickFrom(const std::vector<int>& v) { return v[pick(unsigned(v.size()))]; }
    Probe* objectOf(int id) { return id < 0 ? nullptr : nodes[size_t(id)].object; }

    int create() {
        int id = int(nodes.size());
        Node node;
        node.object = new Probe(id);
        nodes.push_back(node);
        return id;
    }

    // Hangs a new object into the graph.
    void attach(int id, const std::vector<int>& live) {
        int r = int(pick(4));
        if (live.empty() || roots[r] < 0) {
            setRoot(r, id);
        } else {
            fill(pickFrom(live), id);
        }
    }

    // Links from to to through an empty field if it has one, so that the graph grows.
    void fill(int from, int to) {
        Node& n = nodes[size_t(from)];
        if (n.a < 0) {
            n.a = to;
            gc_assign(n.object->m_a, objectOf(to));
        } else if (n.b < 0) {
            n.b = to;
            gc_assign(n.object->m_b, objectOf(to));
        } else {
            link(from, to);
        }
    }

    void link(int from, int to) {
        Node& n = nodes[size_t(from)];
        if (!n.list.empty() && pick(3) == 0) {
            size_t i = pick(unsigned(n.list.size()));
            n.list[i] = to;
            gc_assign(n.object->m_list[int(i)], objectOf(to));
        } else if (pick(2)) {
            n.a = to;
            gc_assign(n.object->m_a, objectOf(to));
        } else {
            n.b = to;
            gc_assign(n.object->m_b, objectOf(to));
        }
    }

    void cut(int from) {
        Node& n = nodes[size_t(from)];
        switch (pick(3)) {
        case 0:
            n.a = -1;
            gc_assign(n.object->m_a, nullptr);
            break;
        case 1:
            n.b = -1;
            gc_assign(n.object->m_b, nullptr);
            break;
        default:
            n.list.clear();
            gc_assign(n.object->m_list, Array<Probe*>());
            break;
        }
    }

    void giveList(int owner, const std::vector<int>& live) {
        int length = int(pick(6));
        Array<Probe*> list(length);
        std::vector<int> ids(size_t(length), -1);
        for (int i = 0; i < length; ++i) {
            if (pick(2)) {
                ids[size_t(i)] = pickFrom(live);
                gc_assign(list[i], objectOf(ids[size_t(i)]));
            }
        }
        nodes[size_t(owner)].list = ids;
        gc_assign(nodes[size_t(owner)].object->m_list, list);
    }

    void setRoot(int r, int id) {
        roots[r] = id;
        gc_assign(rootProbes[r], objectOf(id));
    }

    std::vector<int> reachable() {
        std::vector<char> seen(nodes.size(), 0);
        std::vector<int> out, stack;
        for (int r : roots) {
            if (r >= 0) stack.push_back(r);
        }
        while (!stack.empty()) {
            int id = stack.back();
            stack.pop_back();
            if (id < 0 || seen[size_t(id)]) continue;
            seen[size_t(id)] = 1;
            out.push_back(id);
            const Node& n = nodes[size_t(id)];
            stack.push_back(n.a);
            stack.push_back(n.b);
            for (int e : n.list) stack.push_back(e);
        }
        return out;
    }

    std::mt19937 random;
    int steps = 0;
    std::vector<Node> nodes;
    int roots[4] = {-1, -1, -1, -1};
};

TEST_F(GcTest, RandomGraphsKeepEveryReachableObjectAndLoseEveryOther) {
    for (unsigned seed : {1u, 2u, 3u, 4u}) {
        SCOPED_TRACE(seed);
        int sweeps = 0;
        GraphModel model(seed);
        for (int i = 0; i < 12000; ++i) {
            int markbit = gc_markbit;
            model.step();
            if (gc_markbit != markbit) ++sweeps;
            if (i % 100 == 0) {
                ASSERT_NO_FATAL_FAILURE(model.checkReachableAlive());
                validateLists();
            }
            if (i % 4000 == 3999) {
                ASSERT_NO_FATAL_FAILURE(model.checkCollected());
            }
        }
        EXPECT_GT(sweeps, 40) << "the steps should sweep often"; // paced, not forced
        ASSERT_NO_FATAL_FAILURE(model.checkCollected());
        model.dropRoots();
        gc_collect_all();
        gc_collect_all();
        gc_flush_free(INT_MAX);
        EXPECT_EQ(destroyedCount, model.created());
        EXPECT_EQ(gc_list_count(&gc_unmarked_list) + gc_list_count(&gc_marked_list) +
                      gc_list_count(&gc_queued_list) + gc_list_count(&gc_free_list),
                  0);
        resetDestroyed();
    }
}

} // namespace
} // namespace hexwend::testing
