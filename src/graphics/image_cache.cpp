#include "graphics/image_cache.h"

#include <stdlib.h>

#include "graphics/frame_bitmaps.h"

CImageCache::CImageCache(HINSTANCE module, int capacity)
    : m_entries(nullptr), m_capacity(0), m_module(module)
{
    Resize(capacity);
}

CImageCache::~CImageCache()
{
    Flush();
    free(m_entries);
}

HBITMAP CImageCache::Get(int imageId, int reserved, int kind)
{
    // A cache without entries could hold nothing it handed out.
    if (m_capacity <= 0)
        return nullptr;
    int index = 0;
    HBITMAP image = Find(imageId, &index);
    if (image == nullptr) {
        int resourceId = imageId & 0xFFFF;
        if (kind == kImageKindFig)
            image = FigLoadBitmap(m_module, resourceId);
        else
            image = LoadDibBitmap(m_module, MAKEINTRESOURCEA(resourceId));
    }
    Promote(imageId, image);
    return image;
}

HBITMAP CImageCache::Find(int key, int* index)
{
    *index = 0;
    for (int i = 0; i < m_capacity; ++i) {
        if (m_entries[i].key == key) {
            *index = i;
            return m_entries[i].image;
        }
    }
    return nullptr;
}

void CImageCache::Promote(int key, HBITMAP image)
{
    if (m_capacity <= 0)
        return;
    int index = 0;
    HBITMAP found = Find(key, &index);
    if (found != nullptr) {
        if (found != image)
            DeleteObject(found);
        for (int j = index - 1; j >= 0; --j)
            m_entries[j + 1] = m_entries[j];
    } else {
        ImageCacheEntry& last = m_entries[m_capacity - 1];
        if (last.image != nullptr)
            DeleteObject(last.image);
        for (int j = m_capacity - 2; j >= 0; --j)
            m_entries[j + 1] = m_entries[j];
    }
    m_entries[0].key = key;
    m_entries[0].image = image;
}

void CImageCache::Flush()
{
    for (int i = 0; i < m_capacity; ++i) {
        if (m_entries[i].image != nullptr) {
            DeleteObject(m_entries[i].image);
            m_entries[i].image = nullptr;
            m_entries[i].key = 0;
        }
    }
}

void CImageCache::Resize(int capacity)
{
    Flush();
    free(m_entries);
    m_entries = nullptr;
    m_capacity = 0;
    if (capacity <= 0)
        return;
    m_entries = static_cast<ImageCacheEntry*>(calloc(static_cast<size_t>(capacity), sizeof(ImageCacheEntry)));
    if (m_entries != nullptr)
        m_capacity = capacity;
}
