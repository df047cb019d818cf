// A PE32 executable over a byte view: its headers, its section table and its
// resource tree, with lookups and replacement of resource data. Every field
// it reads is checked against the view first, so a damaged file is refused
// rather than read out of bounds. The program's CExeImage adds the file
// mapping; the build tool that lays out festling.exe uses this directly.
#pragma once
#include <stdint.h>

#include "personalise/res_tree.h"

struct PeSection {
    uint32_t headerOffset;      // file position of the 40-byte header
    uint32_t VirtualSize;
    uint32_t VirtualAddress;
    uint32_t SizeOfRawData;
    uint32_t PointerToRawData;
};

enum : uint32_t {
    kOptionalHeaderSize = 224,
    kSectionHeaderSize = 40,
    kResourceDirectoryIndex = 2,
    // Field offsets in the optional header.
    kOptSizeOfInitializedData = 8,
    kOptSectionAlignment = 32,
    kOptFileAlignment = 36,
    kOptSizeOfImage = 56,
    kOptCheckSum = 64,
    kOptNumberOfRvaAndSizes = 92,
    kOptDataDirectories = 96,
    // Field offsets in a section header.
    kSecVirtualSize = 8,
    kSecVirtualAddress = 12,
    kSecSizeOfRawData = 16,
    kSecPointerToRawData = 20,
};

class CPeImage {
public:
    CPeImage();
    ~CPeImage();

    // Reads the headers and the resource tree of the bytes, which must stay
    // valid while the image uses them. False for anything but a PE32 file
    // with a sound resource directory.
    bool Parse(const uint8_t* bytes, uint32_t size);
    void ReleaseTree();

    // Index of the section holding data directory index, or -1.
    int SectionForDirectory(uint32_t index) const;
    const uint8_t* DirectoryPointer(uint32_t index) const;
    PeSection Section(int index) const;

    const uint8_t* FindResourceData(const char* type, const char* name, uint32_t* size) const;
    // Gives the resource new data; does nothing when it is not found.
    void ReplaceResourceData(const char* type, const char* name, const uint8_t* bytes, uint32_t length);

    // True when the file is laid out as the writer rebuilds it: the resource
    // section last in file and image and starting with the directory, the
    // tables level by level, then the data entries, then the name strings,
    // then the data packed in order, each item padded to 8 bytes.
    bool HasWriterLayout() const;
    // Why the resource section is not placed as the writer rebuilds it (last
    // in file and image, starting with the directory, nothing after it,
    // power-of-two alignments), or null when it is.
    const char* PlacementFault() const;

    uint32_t OptionalHeaderOffset() const { return ntOffset + 24; }
    uint32_t SectionTableOffset() const { return ntOffset + 24 + kOptionalHeaderSize; }
    uint32_t OptionalField(uint32_t at) const;
    uint32_t SectionCount() const { return numberOfSections; }
    // File position of the resource directory, and its relative address.
    uint32_t ResourceOffset() const { return resourceOffset; }
    uint32_t ResourceRva() const { return resourceRva; }
    int ResourceSection() const { return resourceSection; }

    const uint8_t* view;
    uint32_t viewSize;
    int32_t sectionGrowth;
    int32_t dataGrowth;
    uint32_t storedDataTotal;
    uint32_t directorySize;
    CResDirectory* root;

private:
    bool ParseHeaders();
    bool DataLiesInSection() const;
    bool TablesInLevelOrder(uint32_t* tableBytes) const;
    bool NamesAfter(uint32_t tableBytes) const;
    bool DataPacked() const;

    uint32_t ntOffset;
    uint32_t numberOfSections;
    uint32_t resourceOffset;
    uint32_t resourceRva;
    uint32_t resourceExtent;    // bytes from the directory to the end of its section's data
    int resourceSection;
};
