// The collector: collected objects, arrays and an incremental mark-and-sweep collector.
//
// Every collected object starts with a gc_object header and lives on one of four circular
// lists (unmarked, queued, marked, free). Marking is paced by allocation; a sweep happens
// when 8 MiB have been allocated (or decoded into pixel and sound buffers) since the last
// one. Garbage found by a sweep is destroyed bit by bit by later allocations.
//
// Every store of an object reference into a global, an object field or an array element
// goes through gc_assign, the write barrier: it queues the stored object so that a store
// made after its holder was scanned cannot lose it.
#pragma once

#include "runtime/string.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <new>
#include <type_traits>

struct gc_static_tag {};

struct gc_object {
    gc_object* succ;
    gc_object* pred;
    uint32_t flags; // size in bytes (multiple of 8) | bit 1 static | bit 0 colour

    // A block from gc_object_alloc is linked into the unmarked list here, once any
    // zero-initialisation of the object has happened. An object that did not come from the
    // collector (one on the stack, say) is treated like a static one: never collected.
    gc_object();
    // Static objects (list heads, shared empty arrays): on no list, never collected.
    constexpr explicit gc_object(gc_static_tag) : succ(this), pred(this), flags(3) {}
    gc_object(const gc_object&) = delete;
    gc_object& operator=(const gc_object&) = delete;
    virtual ~gc_object() {}
    virtual void mark() {}

    static void* operator new(size_t size);
    static void* operator new(size_t, void* where) { return where; }
    // Deleting an object reads its block size from the header while the object is still
    // alive, runs its (virtual) destructor and then returns the block: the header is never
    // read after the object has ended.
    static void operator delete(gc_object* p, std::destroying_delete_t);
    // Only for a constructor that throws, where the language frees the block itself.
    static void operator delete(void* p);
};

// The base of interface types; a reference held as an interface is converted to its
// gc_object before it is marked.
struct gc_interface {
    virtual ~gc_interface() {}
};

// The four lists; each head is a static object that is never collected.
extern gc_object gc_unmarked_list;
extern gc_object gc_queued_list;
extern gc_object gc_marked_list;
extern gc_object gc_free_list;

extern int gc_markbit;
extern int gc_new_bytes;
extern int gc_alloced_bytes;
extern int gc_max_alloced_bytes;
extern int gc_marked_bytes;
extern int gc_free_bytes;
extern std::atomic<int> gc_ext_new_bytes;

// Freed blocks of 8 to 56 bytes by size class (size / 8), linked through succ.
extern gc_object* gc_cache[8];

void* gc_object_alloc(int size);
// The same with every byte zero.
void* gc_object_alloc_zeroed(int size);
void gc_object_free(gc_object* p);
void gc_mark_q(gc_object* p);
void gc_mark(gc_object* p);
void gc_mark(); // queues every registered root
void gc_mark_queued(int target);
void gc_sweep();
void gc_collect();
void gc_collect_all();
void gc_flush_free(int bytes);
void gc_ext_malloced(int bytes);
void gc_init1();
void gc_init2();
void gc_validate_list(gc_object* list, const char* message);
int gc_micros();

// Destroys every collected object and resets the collector to its start-up state.
// Start-up calls it (through gc_init1) so that running the start-up again, as tests do,
// leaves nothing of the previous run behind.
void gc_reset();

// Number of objects on a list (for tests and statistics; walks the list).
int gc_list_count(gc_object* list);
// True when p is an object on one of the collector's lists.
bool gc_is_live(const void* p);

// --- Marking any kind of reference -------------------------------------------------------

template <class T> inline gc_object* gc_as_object(T* p) {
    if constexpr (std::is_base_of_v<gc_object, T>) {
        return p;
    } else {
        return p ? dynamic_cast<gc_object*>(p) : nullptr;
    }
}

template <class T> inline void gc_mark_q(T* p) {
    gc_mark_q(gc_as_object(p));
}
template <class T> inline void gc_mark(T* p) {
    gc_mark(gc_as_object(p));
}

// --- Object: the base of every class of the game language --------------------------------

class Object : public gc_object {
  public:
    Object() {}
    virtual bool Equals(Object* other) { return this == other; }
    // A stable order by address: negative, zero or positive.
    virtual int Compare(Object* other);
    virtual String debug() { return String("+Object\n"); }
};

// --- Arrays ------------------------------------------------------------------------------

template <class T> class Array {
  public:
    struct Rep : gc_object {
        int length;

        Rep() : length(0) {}
        explicit Rep(int n) : length(n) {}
        constexpr explicit Rep(gc_static_tag t) : gc_object(t), length(0) {}

        T* data() { return reinterpret_cast<T*>(reinterpret_cast<char*>(this) + sizeof(Rep)); }

        ~Rep() override {
            if constexpr (!std::is_trivially_destructible_v<T>) {
                T* d = data();
                for (int i = 0; i < length; ++i) d[i].~T();
            }
        }

        void mark() override {
            if constexpr (std::is_pointer_v<T>) {
                T* d = data();
                for (int i = 0; i < length; ++i) {
                    if (d[i]) gc_mark(d[i]);
                }
            }
        }
    };
    static_assert(sizeof(Rep) % alignof(T) == 0);

    // The one empty representation of this element type, shared by every empty array.
    static constinit Rep nullRep;

    Array() : rep(&nullRep) {}
    // A new array of n zero elements (0, 0.0, false, null, or the empty string).
    explicit Array(int n) : rep(n > 0 ? create(n) : &nullRep) {}
    // A new array holding copies of n elements.
    Array(const T* elements, int n) : Array(n) {
        for (int i = 0; i < n; ++i) rep->data()[i] = elements[i];
    }
    Array(std::initializer_list<T> elements) : Array(elements.begin(), int(elements.size())) {}

    int Length() const { return rep->length; }
    T& operator[](int i) const { return rep->data()[i]; }
    T* Data() const { return rep->data(); }
    Rep* GetRep() const { return rep; }
    bool operator==(const Array& o) const { return rep == o.rep; }

    // A new array of the elements [from, to), indices clamped like String::Slice.
    Array Slice(int from, int to) const {
        int n = Length();
        if (from < 0)
            from = from + n < 0 ? 0 : from + n;
        else if (from > n)
            from = n;
        if (to < 0)
            to += n;
        else if (to > n)
            to = n;
        if (to <= from) return Array();
        return Array(rep->data() + from, to - from);
    }
    // A new array of length n with the common part copied and the rest zero.
    Array Resize(int n) const {
        Array out(n);
        int common = n < Length() ? n : Length();
        for (int i = 0; i < common; ++i) out.rep->data()[i] = rep->data()[i];
        return out;
    }

  private:
    // Numbers, flags and references start as zero bytes: such an array comes zeroed from
    // the allocator, so the untouched part of a large one takes no memory.
    static constexpr bool kZeroBytes = std::is_arithmetic_v<T> || std::is_pointer_v<T>;

    static Rep* create(int n) {
        const int size = int(sizeof(Rep) + sizeof(T) * size_t(n));
        void* block = kZeroBytes ? gc_object_alloc_zeroed(size) : gc_object_alloc(size);
        Rep* r = ::new (block) Rep(n);
        if constexpr (!kZeroBytes) {
            T* d = r->data();
            for (int i = 0; i < n; ++i) ::new (d + i) T();
        }
        return r;
    }

    Rep* rep;
};

template <class T> constinit typename Array<T>::Rep Array<T>::nullRep{gc_static_tag{}};

template <class T> inline void gc_mark_q(const Array<T>& a) {
    gc_mark_q(static_cast<gc_object*>(a.GetRep()));
}

// --- The write barrier -------------------------------------------------------------------

// Stores an object reference into a global, a field or an array element.
template <class T, class U> inline T* gc_assign(T*& slot, U* value) {
    gc_mark_q(value);
    slot = value;
    return slot;
}

template <class T> inline T* gc_assign(T*& slot, std::nullptr_t) {
    slot = nullptr;
    return nullptr;
}

// Stores an array into a global, a field or an array element.
template <class T> inline const Array<T>& gc_assign(Array<T>& slot, const Array<T>& value) {
    gc_mark_q(value);
    slot = value;
    return slot;
}

// --- Roots -------------------------------------------------------------------------------

// The roots are the module globals that hold objects or arrays. Each module registers its
// globals while it initialises (see rtInit); gc_mark queues them in registration order.
void gc_add_root(const char* name, void* slot, void (*queue)(void* slot),
                 gc_object* (*get)(void* slot));
void gc_clear_roots();
int gc_root_count();
const char* gc_root_name(int i);
// The object a root currently holds (null when it holds nothing).
gc_object* gc_root_object(int i);

template <class T> inline void gc_add_root(const char* name, T*& slot) {
    gc_add_root(
        name, &slot, [](void* s) { gc_mark_q(*static_cast<T**>(s)); },
        [](void* s) { return gc_as_object(*static_cast<T**>(s)); });
}

template <class T> inline void gc_add_root(const char* name, Array<T>& slot) {
    gc_add_root(
        name, &slot, [](void* s) { gc_mark_q(*static_cast<Array<T>*>(s)); },
        [](void* s) { return static_cast<gc_object*>(static_cast<Array<T>*>(s)->GetRep()); });
}
