// The plain heap arrays of pointers that hold the engine's lists (scenes,
// sprites, registry entries, windows), grown by one element per addition.
#pragma once
#include <stdint.h>

#include <new>

// Appends item to the count pointers at items. Returns false, leaving the
// array as it was, when no memory is left.
template <typename T>
bool AppendPointer(T**& items, int32_t& count, T* item)
{
    T** grown = new (std::nothrow) T*[count + 1];
    if (grown == nullptr)
        return false;
    for (int32_t i = 0; i < count; ++i)
        grown[i] = items[i];
    grown[count] = item;
    delete[] items;
    items = grown;
    ++count;
    return true;
}
