// The runtime's containers: growable stacks in three element types, a string stack that
// joins, and an ordered map from int to display mode (a red-black tree). All are collected
// objects; every store of an object reference into them goes through gc_assign.
#pragma once

#include "runtime/gc.h"

// A display size; the element type of the display-mode stack and map.
class c_DisplayMode : public Object {
  public:
    int m_width = 0;
    int m_height = 0;

    c_DisplayMode* m_new(int width, int height) {
        m_width = width;
        m_height = height;
        return this;
    }
    c_DisplayMode* m_new2() { return this; }
    int p_Width() { return m_width; }
    int p_Height() { return m_height; }
};

// A source of asynchronous events, polled on the main thread by the event dispatch.
class c_IAsyncEventSource : public virtual gc_interface {
  public:
    virtual int p_UpdateAsyncEvents() = 0;
};

// The one generic stack design; the three instances below give its operations their names.
template <class T> class rt_StackOf : public Object {
  public:
    Array<T> m_data;
    int m_length = 0;

    void mark() override { gc_mark_q(m_data); }

  protected:
    static T nil() { return T(); }

    void setData(const Array<T>& data) { gc_assign(m_data, data); }

    void store(int i, const T& value) {
        if constexpr (std::is_pointer_v<T>) {
            gc_assign(m_data[i], value);
        } else {
            m_data[i] = value;
        }
    }

    void copyFrom(const Array<T>& source) {
        Array<T> copy(source.Length());
        for (int i = 0; i < source.Length(); ++i) copy[i] = source[i];
        setData(copy);
        m_length = source.Length();
    }

    void grow(int capacity) {
        Array<T> bigger(capacity);
        for (int i = 0; i < m_length; ++i) bigger[i] = m_data[i];
        setData(bigger);
    }

    void push(const T& value) {
        if (m_length == m_data.Length()) grow(m_length * 2 + 10);
        store(m_length, value);
        ++m_length;
    }

    void pushRange(const Array<T>& values, int offset, int count) {
        for (int i = 0; i < count; ++i) push(values[offset + i]);
    }

    Array<T> toArray() {
        Array<T> out(m_length);
        for (int i = 0; i < m_length; ++i) out[i] = m_data[i];
        return out;
    }

    void setLength(int n) {
        for (int i = n; i < m_length; ++i) m_data[i] = nil();
        if (n > m_data.Length()) {
            int capacity = m_length * 2 + 10;
            grow(n > capacity ? n : capacity);
        }
        m_length = n;
    }

    void clear() {
        for (int i = 0; i < m_length; ++i) m_data[i] = nil();
        m_length = 0;
    }
};

// Stack of display modes.
class c_Stack : public rt_StackOf<c_DisplayMode*> {
  public:
    c_Stack* m_new() { return this; }
    c_Stack* m_new2(Array<c_DisplayMode*> data) {
        copyFrom(data);
        return this;
    }
    int p_Push(c_DisplayMode* value) {
        push(value);
        return 0;
    }
    int p_Push2(Array<c_DisplayMode*> values, int offset, int count) {
        pushRange(values, offset, count);
        return 0;
    }
    int p_Push3(Array<c_DisplayMode*> values, int offset) {
        pushRange(values, offset, values.Length() - offset);
        return 0;
    }
    Array<c_DisplayMode*> p_ToArray() { return toArray(); }
};

// Stack of strings.
class c_Stack2 : public rt_StackOf<String> {
  public:
    static String m_NIL;

    c_Stack2* m_new() { return this; }
    c_Stack2* m_new2(Array<String> data) {
        copyFrom(data);
        return this;
    }
    int p_Push4(String value) {
        push(value);
        return 0;
    }
    int p_Push5(Array<String> values, int offset, int count) {
        pushRange(values, offset, count);
        return 0;
    }
    int p_Push6(Array<String> values, int offset) {
        pushRange(values, offset, values.Length() - offset);
        return 0;
    }
    Array<String> p_ToArray() { return toArray(); }
    int p_Clear() {
        clear();
        return 0;
    }
    int p_Length2() { return m_length; }
    int p_Length(int n) {
        setLength(n);
        return 0;
    }
    String p_Get(int i) { return m_data[i]; }
};

class c_StringStack : public c_Stack2 {
  public:
    c_StringStack* m_new(Array<String> data) {
        c_Stack2::m_new2(data);
        return this;
    }
    c_StringStack* m_new2() {
        c_Stack2::m_new();
        return this;
    }
    String p_Join(String separator) { return separator.Join(p_ToArray()); }
};

// Stack of asynchronous event sources.
class c_Stack3 : public rt_StackOf<c_IAsyncEventSource*> {
  public:
    static c_IAsyncEventSource* m_NIL;

    c_Stack3* m_new() { return this; }
    c_Stack3* m_new2(Array<c_IAsyncEventSource*> data) {
        copyFrom(data);
        return this;
    }
    int p_Push7(c_IAsyncEventSource* value) {
        push(value);
        return 0;
    }
    int p_Push8(Array<c_IAsyncEventSource*> values, int offset, int count) {
        pushRange(values, offset, count);
        return 0;
    }
    int p_Push9(Array<c_IAsyncEventSource*> values, int offset) {
        pushRange(values, offset, values.Length() - offset);
        return 0;
    }
    int p_Length2() { return m_length; }
    int p_Length(int n) {
        setLength(n);
        return 0;
    }
    c_IAsyncEventSource* p_Get(int i) { return m_data[i]; }
    bool p_Equals(c_IAsyncEventSource* a, c_IAsyncEventSource* b) { return a == b; }
    bool p_Contains2(c_IAsyncEventSource* value) {
        for (int i = 0; i < m_length; ++i) {
            if (p_Equals(m_data[i], value)) return true;
        }
        return false;
    }
};

// A node of the int-to-display-mode map.
class c_Node : public Object {
  public:
    int m_key = 0;
    c_Node* m_right = nullptr;
    c_Node* m_left = nullptr;
    c_DisplayMode* m_value = nullptr;
    int m_color = 0; // -1 red, 1 black
    c_Node* m_parent = nullptr;

    c_Node* m_new(int key, c_DisplayMode* value, int color, c_Node* parent);
    void mark() override;
};

class c_Map : public Object {
  public:
    c_Node* m_root = nullptr;

    c_Map* m_new() { return this; }
    virtual int p_Compare(int a, int b) = 0;

    bool p_Set(int key, c_DisplayMode* value);
    bool p_Insert(int key, c_DisplayMode* value) { return p_Set(key, value); }
    bool p_Contains(int key) { return p_FindNode(key) != nullptr; }
    c_Node* p_FindNode(int key);
    int p_RotateLeft(c_Node* node);
    int p_RotateRight(c_Node* node);
    int p_InsertFixup(c_Node* node);
    void mark() override;
};

class c_IntMap : public c_Map {
  public:
    c_IntMap* m_new() {
        c_Map::m_new();
        return this;
    }
    int p_Compare(int a, int b) override { return a - b; }
};
