#include "runtime/gc.h"

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

constexpr int kSweepTrigger = 8 * 1024 * 1024;
constexpr int kMaxCachedSize = 56;
constexpr int kMaxRoots = 128;

struct Root {
    const char* name;
    void* slot;
    void (*queue)(void*);
    gc_object* (*get)(void*);
};

Root roots[kMaxRoots];

// Blocks handed out by gc_object_alloc whose gc_object constructor has not run yet. A
// constructor may allocate before the object it belongs to is built (new X(new Y)), so this
// is a small stack searched from the newest entry.
struct Pending {
    void* block;
    uint32_t size;
};
constexpr int kMaxPending = 32;
Pending pending[kMaxPending];
int pendingCount = 0;

void addPending(void* block, uint32_t size) {
    if (pendingCount == kMaxPending) {
        // Blocks allocated without ever being constructed: forget the oldest.
        for (int i = 1; i < kMaxPending; ++i) pending[i - 1] = pending[i];
        --pendingCount;
    }
    pending[pendingCount++] = Pending{block, size};
}

bool takePending(void* block, uint32_t* size) {
    for (int i = pendingCount - 1; i >= 0; --i) {
        if (pending[i].block == block) {
            *size = pending[i].size;
            // Usually the newest entry: then nothing moves (copying it onto itself would also
            // read back, as one wide load, the entry just written, which stalls).
            if (i != --pendingCount) pending[i] = pending[pendingCount];
            return true;
        }
    }
    return false;
}
int rootCount = 0;

uint32_t sizeOf(const gc_object* p) {
    return p->flags & ~7u;
}

void unlink(gc_object* p) {
    p->pred->succ = p->succ;
    p->succ->pred = p->pred;
}

void appendTo(gc_object* list, gc_object* p) {
    p->pred = list->pred;
    p->succ = list;
    list->pred->succ = p;
    list->pred = p;
}

void moveTo(gc_object* list, gc_object* p) {
    unlink(p);
    appendTo(list, p);
}

bool isEmpty(const gc_object* list) {
    return list->succ == list;
}

void makeEmpty(gc_object* list) {
    list->succ = list->pred = list;
}

// Appends every member of `from` to the tail of `to`, leaving `from` empty.
void spliceAll(gc_object* from, gc_object* to) {
    if (isEmpty(from)) return;
    gc_object* first = from->succ;
    gc_object* last = from->pred;
    first->pred = to->pred;
    to->pred->succ = first;
    last->succ = to;
    to->pred = last;
    makeEmpty(from);
}

bool isWhite(const gc_object* p) {
    return int(p->flags & 3) == gc_markbit;
}

// A cached block holds no object any more, so its link to the next cached block is read and
// written as raw memory, in the place where the header's succ field was.
constexpr size_t kCacheLinkOffset = sizeof(void*);

gc_object* cacheLink(const void* block) {
    gc_object* next;
    std::memcpy(&next, static_cast<const char*>(block) + kCacheLinkOffset, sizeof next);
    return next;
}

void setCacheLink(void* block, gc_object* next) {
    std::memcpy(static_cast<char*>(block) + kCacheLinkOffset, &next, sizeof next);
}

// Returns the block of a destroyed object: small blocks to the cache of their size class,
// larger ones to the heap.
void releaseBlock(void* block, int size) {
    gc_free_bytes -= size;
    if (size <= kMaxCachedSize) {
        setCacheLink(block, gc_cache[size / 8]);
        gc_cache[size / 8] = static_cast<gc_object*>(block);
    } else {
        std::free(block);
    }
}

// Destroys a dead object and returns its block. The size is read while the object is still
// alive; the destructor is the object's own, through its virtual table.
void destroy(gc_object* p) {
    int size = int(sizeOf(p));
    p->~gc_object();
    releaseBlock(p, size);
}

// The collector and its objects belong to the thread that reset it last (the main thread),
// or that allocated first when nothing has reset it.
// Debug and sanitizer builds check every allocation against it, so that code on another
// thread that allocates a collected object fails at once instead of corrupting the lists.
std::thread::id ownerThread;

#ifndef NDEBUG
void checkOwnerThread() {
    const std::thread::id self = std::this_thread::get_id();
    if (self == ownerThread) return;
    if (ownerThread == std::thread::id()) { // nothing has reset the collector yet
        ownerThread = self;
        return;
    }
    std::fputs("Collected object allocated off the main thread\n", stderr);
    std::fflush(stderr);
    std::abort();
}
#else
void checkOwnerThread() {}
#endif

[[noreturn]] void outOfMemory() {
    std::fputs("Out of memory in the collector\n", stdout);
    std::fflush(stdout);
    std::exit(-1);
}

} // namespace

constinit gc_object gc_unmarked_list{gc_static_tag{}};
constinit gc_object gc_queued_list{gc_static_tag{}};
constinit gc_object gc_marked_list{gc_static_tag{}};
constinit gc_object gc_free_list{gc_static_tag{}};

int gc_markbit = 1;
int gc_new_bytes = 0;
int gc_alloced_bytes = 0;
int gc_max_alloced_bytes = 0;
int gc_marked_bytes = 0;
int gc_free_bytes = 0;
std::atomic<int> gc_ext_new_bytes{0};
gc_object* gc_cache[8] = {};

gc_object::gc_object() {
    uint32_t size = 0;
    if (takePending(this, &size)) {
        flags = size | uint32_t(gc_markbit);
        appendTo(&gc_unmarked_list, this);
    } else {
        succ = pred = this;
        flags = 3;
    }
}

void* gc_object::operator new(size_t size) {
    return gc_object_alloc(int(size));
}

void gc_object::operator delete(gc_object* p, std::destroying_delete_t) {
    destroy(p);
}

void gc_object::operator delete(void* p) {
    gc_object_free(static_cast<gc_object*>(p));
}

int Object::Compare(Object* other) {
    auto a = reinterpret_cast<uintptr_t>(this), b = reinterpret_cast<uintptr_t>(other);
    return a < b ? -1 : a > b ? 1 : 0;
}

namespace {

void* allocate(int size, bool zeroed) {
    checkOwnerThread();
    size = (size + 7) & ~7;
    gc_new_bytes += size;

    // Pay as you go: destroy about as much garbage as is being allocated.
    int goal = gc_free_bytes - size;
    if (goal < 0) goal = 0;
    while (gc_free_bytes > goal && !isEmpty(&gc_free_list)) {
        gc_object* dead = gc_free_list.succ;
        unlink(dead);
        destroy(dead);
    }

    gc_object* p = nullptr;
    if (size <= kMaxCachedSize && gc_cache[size / 8]) {
        p = gc_cache[size / 8];
        gc_cache[size / 8] = cacheLink(p);
        if (zeroed) std::memset(static_cast<void*>(p), 0, size_t(size));
    } else {
        // A large zeroed block is made of fresh pages that take no memory until written.
        p = static_cast<gc_object*>(zeroed ? std::calloc(1, size_t(size))
                                           : std::malloc(size_t(size)));
        if (!p) outOfMemory();
    }
    addPending(p, uint32_t(size));
    gc_alloced_bytes += size;
    if (gc_alloced_bytes > gc_max_alloced_bytes) gc_max_alloced_bytes = gc_alloced_bytes;
    return p;
}

} // namespace

void* gc_object_alloc(int size) {
    return allocate(size, false);
}

void* gc_object_alloc_zeroed(int size) {
    return allocate(size, true);
}

void gc_object_free(gc_object* p) {
    releaseBlock(p, int(sizeOf(p)));
}

void gc_mark_q(gc_object* p) {
    if (!p || !isWhite(p)) return;
    p->flags ^= 1;
    moveTo(&gc_queued_list, p);
}

void gc_mark(gc_object* p) {
    if (!p || !isWhite(p)) return;
    p->flags ^= 1;
    gc_marked_bytes += int(sizeOf(p));
    moveTo(&gc_marked_list, p);
    p->mark();
}

void gc_mark() {
    for (int i = 0; i < rootCount; ++i) roots[i].queue(roots[i].slot);
}

void gc_mark_queued(int target) {
    while (gc_marked_bytes < target && !isEmpty(&gc_queued_list)) {
        gc_object* p = gc_queued_list.succ;
        moveTo(&gc_marked_list, p);
        gc_marked_bytes += int(sizeOf(p));
        p->mark();
    }
}

void gc_sweep() {
    if (gc_marked_bytes != gc_alloced_bytes) {
        spliceAll(&gc_unmarked_list, &gc_free_list);
        gc_free_bytes += gc_alloced_bytes - gc_marked_bytes;
    }
    makeEmpty(&gc_unmarked_list);
    spliceAll(&gc_marked_list, &gc_unmarked_list);
    gc_alloced_bytes = gc_marked_bytes;
    gc_marked_bytes = 0;
    gc_markbit ^= 1;
}

void gc_collect() {
    if (int64_t(gc_new_bytes) + gc_ext_new_bytes.load() > kSweepTrigger) {
        gc_ext_new_bytes.fetch_sub(gc_ext_new_bytes.load());
        gc_mark_queued(INT_MAX);
        gc_sweep();
        gc_mark();
        gc_new_bytes = 0;
    } else {
        int64_t n = gc_new_bytes;
        int64_t a = gc_alloced_bytes;
        int64_t target = n + n * (a - n) / kSweepTrigger;
        gc_mark_queued(int(target));
    }
}

void gc_collect_all() {
    gc_mark_queued(INT_MAX);
    gc_sweep();
    gc_mark();
}

void gc_flush_free(int bytes) {
    int goal = gc_free_bytes - bytes;
    while (gc_free_bytes > goal && !isEmpty(&gc_free_list)) {
        gc_object* dead = gc_free_list.succ;
        unlink(dead);
        destroy(dead);
    }
}

void gc_ext_malloced(int bytes) {
    gc_ext_new_bytes.fetch_add(bytes);
}

void gc_reset() {
    ownerThread = std::this_thread::get_id();
    pendingCount = 0;
    for (gc_object* list : {&gc_unmarked_list, &gc_queued_list, &gc_marked_list, &gc_free_list}) {
        if (list->succ == nullptr) makeEmpty(list);
        while (!isEmpty(list)) {
            gc_object* dead = list->succ;
            unlink(dead);
            gc_free_bytes += int(sizeOf(dead)); // releasing the block takes it off again
            destroy(dead);
        }
    }
    gc_markbit = 1;
    gc_new_bytes = 0;
    gc_alloced_bytes = 0;
    gc_max_alloced_bytes = 0;
    gc_marked_bytes = 0;
    gc_free_bytes = 0;
    gc_ext_new_bytes.store(0);
}

void gc_init1() {
    gc_reset();
}

void gc_init2() {
    gc_mark();
}

void gc_validate_list(gc_object* list, const char* message) {
    gc_object* p = list;
    do {
        if (!p->succ || !p->pred || p->succ->pred != p || p->pred->succ != p) {
            if (message) std::printf("%s\n", message);
            std::printf("LIST ERROR!\n");
            std::fflush(stdout);
            std::exit(-1);
        }
        p = p->succ;
    } while (p != list);
}

int gc_micros() {
    using namespace std::chrono;
    return int(duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}

int gc_list_count(gc_object* list) {
    int n = 0;
    for (gc_object* p = list->succ; p != list; p = p->succ) ++n;
    return n;
}

bool gc_is_live(const void* address) {
    for (gc_object* list : {&gc_unmarked_list, &gc_queued_list, &gc_marked_list}) {
        for (gc_object* p = list->succ; p != list; p = p->succ) {
            if (p == address) return true;
        }
    }
    return false;
}

void gc_add_root(const char* name, void* slot, void (*queue)(void*), gc_object* (*get)(void*)) {
    for (int i = 0; i < rootCount; ++i) {
        if (roots[i].slot == slot) return;
    }
    if (rootCount == kMaxRoots) {
        std::fputs("Too many collector roots\n", stdout);
        std::fflush(stdout);
        std::exit(-1);
    }
    roots[rootCount++] = Root{name, slot, queue, get};
}

void gc_clear_roots() {
    rootCount = 0;
}

int gc_root_count() {
    return rootCount;
}

const char* gc_root_name(int i) {
    return roots[i].name;
}

gc_object* gc_root_object(int i) {
    return roots[i].get(roots[i].slot);
}
