#include "ZR_buffer.h"

#include <algorithm>
#include <new>

#include "ZR_effect.h"

ZR_Buffer::ZR_Buffer()
    : length(0), count(0), tag(nullptr), data(nullptr), shadow(nullptr), position(0), limit(1073741823),
      pipe(nullptr), fade(0), link(this), spare(this) {
  resize(FOLLOW_PIPE);
  if (ZR_currentpipe) ZR_currentpipe->buffers.insert(&link);
}

ZR_Buffer::~ZR_Buffer() {
  release();
  if (link.list) link.list->remove(&link);
}

void ZR_Buffer::release() {
  delete[] data;
  data = shadow = nullptr;
  count = 0;
}

int32_t ZR_Buffer::blockLength() const {
  // An owner may shorten a fixed buffer's length for a block without
  // reallocating; it never reads past the allocation.
  int32_t n = length == FOLLOW_PIPE ? (pipe ? pipe->blockLength : 0) : length;
  return std::max(0, std::min(n, count));
}

void ZR_Buffer::clear() {
  if (data) std::fill(data, data + count, 0);
}

void ZR_Buffer::resize(int32_t newLength) {
  release();
  length = newLength;
  pipe = nullptr;
  if (newLength == 0) return;
  int32_t n = newLength;
  if (newLength == FOLLOW_PIPE) {
    pipe = ZR_currentpipe;
    n = pipe ? pipe->blockLength : 0;
  }
  if (n <= 0) {
    length = 0;
    pipe = nullptr;
    return;
  }
  // A failed allocation leaves the buffer without samples.
  int32_t* block = new (std::nothrow) int32_t[2 * static_cast<size_t>(n)];
  if (!block) {
    length = 0;
    pipe = nullptr;
    return;
  }
  data = block;
  shadow = block + n;
  count = n;
  position %= n;
  if (position < 0) position += n;
  clear();
}

ZR_value ZR_Buffer::m_l(ZR_Buffer* self, ZR_value v) {
  if (v.given()) {
    int32_t n = v.asInt();
    // Anything but "follow", "none" or a sane sample count keeps the old size.
    if (n >= FOLLOW_PIPE && n <= MAX_LENGTH) self->resize(n);
  }
  return ZR_value::ofInt(self->length == FOLLOW_PIPE ? self->blockLength() : self->length);
}

ZR_value ZR_Buffer::m_t(ZR_Buffer* self, ZR_value v) {
  if (v.given()) self->tag = v.asText();
  return ZR_value::ofText(self->tag);
}

ZR_value ZR_Buffer::m_limit(ZR_Buffer* self, ZR_value v) {
  if (v.given()) self->limit = v.asIntTruncated();
  return ZR_value::ofInt(self->limit);
}

const ZR_param ZR_Buffer::paramTable[] = {
    {"", ZR_ctor_of<ZR_Buffer>},
    {"l", ZR_handler_of<ZR_Buffer, &ZR_Buffer::m_l>},
    {"t", ZR_handler_of<ZR_Buffer, &ZR_Buffer::m_t>},
    {"limit", ZR_handler_of<ZR_Buffer, &ZR_Buffer::m_limit>},
    {"delete", ZR_handler_of<ZR_Object, &ZR_Object::m_delete>},
    {nullptr, ZR_Object::paramTable},
};
