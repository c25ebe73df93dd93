#include "support/cwstr.h"

#include "support/wide_format.h"

#include <atomic>
#include <cstdarg>
#include <cstddef>
#include <cstring>
#include <functional>
#include <new>

namespace {

// Sits directly in front of the characters of every block.
struct BlockHeader {
    int32_t capacity;
    int32_t refCount;
};
static_assert(sizeof(BlockHeader) == 8);

constexpr int32_t kFormatScratchChars = 1024;

// The text every fresh value starts with. Its count starts at 1, a reference
// nobody owns, so it can never drop to zero and the block is never freed.
struct EmptyBlock {
    BlockHeader header;
    char16_t text[1];
};
EmptyBlock emptyBlock = {{1, 1}, {0}};
static_assert(offsetof(EmptyBlock, text) == sizeof(BlockHeader));

BlockHeader* headerOf(char16_t* text) {
    return reinterpret_cast<BlockHeader*>(text) - 1;
}

// The empty text is shared by the user-interface and worker threads, so every
// count changes atomically.
void addReference(char16_t* text) {
    std::atomic_ref<int32_t>(headerOf(text)->refCount).fetch_add(1, std::memory_order_relaxed);
}

char16_t* allocateBlock(int32_t length) {
    const int32_t bytes = CWStr::BlockBytesFor(length);
    auto* header = static_cast<BlockHeader*>(::operator new(static_cast<size_t>(bytes)));
    header->capacity = (bytes - static_cast<int32_t>(sizeof(BlockHeader))) / 2;
    header->refCount = 1;
    auto* text = reinterpret_cast<char16_t*>(header + 1);
    text[0] = 0;
    return text;
}

} // namespace

int32_t wideLength(const char16_t* text) {
    int32_t length = 0;
    while (text[length] != 0)
        ++length;
    return length;
}

CWStr::CWStr() : text(emptyBlock.text) {
    addReference(text);
}

CWStr::CWStr(const CWStr& other) : text(other.text) {
    addReference(text);
}

CWStr::CWStr(const char16_t* value) : CWStr() {
    Assign(value);
}

CWStr& CWStr::operator=(const CWStr& other) {
    // Take the new reference first: assigning a value to itself stays safe.
    char16_t* shared = other.text;
    addReference(shared);
    Release();
    text = shared;
    return *this;
}

CWStr::~CWStr() {
    Release();
}

void CWStr::Release() {
    if (text == nullptr)
        return;
    BlockHeader* header = headerOf(text);
    const int32_t before =
        std::atomic_ref<int32_t>(header->refCount).fetch_sub(1, std::memory_order_acq_rel);
    if (before == 1 && header != &emptyBlock.header)
        ::operator delete(header);
    text = nullptr;
}

int32_t CWStr::BlockBytesFor(int32_t length) {
    return ((2 * length + 9) / 128 + 1) * 128;
}

int32_t CWStr::Capacity() const {
    return headerOf(text)->capacity;
}

int32_t CWStr::RefCount() const {
    return std::atomic_ref<int32_t>(headerOf(text)->refCount).load(std::memory_order_relaxed);
}

bool CWStr::HoldsInBlock(const char16_t* value) const {
    // std::less orders pointers into unrelated objects too.
    const std::less<const char16_t*> before;
    return !before(value, text) && before(value, text + Capacity());
}

int32_t CWStr::Length() const {
    return wideLength(text);
}

void CWStr::Reserve(int32_t length, bool keep) {
    const int32_t oldCapacity = Capacity();
    if (RefCount() <= 1 && oldCapacity >= length + 1)
        return;
    // A shared block made private grows by at least one step, so the next
    // append rarely needs another allocation.
    if (keep && length < oldCapacity)
        length = oldCapacity;
    char16_t* fresh = allocateBlock(length);
    if (keep)
        std::memcpy(fresh, text, static_cast<size_t>(wideLength(text) + 1) * sizeof(char16_t));
    Release();
    text = fresh;
}

CWStr CWStr::Assign(const char16_t* value) {
    const int32_t length = wideLength(value);
    Reserve(length, false);
    // memmove: the value may be this string's own text.
    std::memmove(text, value, static_cast<size_t>(length + 1) * sizeof(char16_t));
    return *this;
}

CWStr CWStr::Append(const char16_t* value) {
    const int32_t current = Length();
    const int32_t added = wideLength(value);
    // Text from this value's own block must outlive the Reserve, which could
    // free that block, and must not be overwritten while it is copied: the
    // extra reference makes Reserve copy into a new block.
    const CWStr source = HoldsInBlock(value) ? *this : CWStr();
    Reserve(current + added, true);
    std::memcpy(text + current, value, static_cast<size_t>(added + 1) * sizeof(char16_t));
    return *this;
}

int32_t CWStr::Format(const char16_t* format, ...) {
    char16_t scratch[kFormatScratchChars];
    va_list args;
    va_start(args, format);
    formatWide(scratch, kFormatScratchChars - 1, format, args);
    va_end(args);
    scratch[kFormatScratchChars - 1] = 0;
    // Overlong results are cut and a bad format ends the text where it
    // stopped; neither is reported, and the length is that of the text.
    const int32_t length = wideLength(scratch);
    Reserve(length, false);
    std::memcpy(text, scratch, static_cast<size_t>(length + 1) * sizeof(char16_t));
    return length;
}
