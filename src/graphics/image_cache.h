// A sprite's small cache of frame-strip bitmaps, most recently used first.
#pragma once
#include <windows.h>
#include <stdint.h>

// The image kind that names a FIG resource; any other names a "DIB" resource.
enum { kImageKindFig = 4 };

struct ImageCacheEntry {
    int32_t key;   // image id; 0 in an empty entry
    HBITMAP image; // owned by the cache; null in an empty entry
};

class CImageCache {
public:
    CImageCache(HINSTANCE module, int capacity);
    ~CImageCache();
    CImageCache(const CImageCache&) = delete;
    CImageCache& operator=(const CImageCache&) = delete;

    // The bitmap for imageId (its low 16 bits name the resource), loaded on a
    // miss; null if it cannot be loaded. The cache keeps owning it.
    HBITMAP Get(int imageId, int reserved, int kind);
    HBITMAP Find(int key, int* index);
    void Promote(int key, HBITMAP image);
    void Flush();
    void Resize(int capacity);

    ImageCacheEntry* m_entries;
    int32_t m_capacity;
    HINSTANCE m_module;
};
