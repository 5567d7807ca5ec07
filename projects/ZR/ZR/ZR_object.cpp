#include "ZR_object.h"

#include <atomic>
#include <unordered_set>
#include <vector>

#include "ZR_command.h"

namespace {

// The set of live objects, guarded by a spin lock: objects are created and
// destroyed on the building and user-interface threads, never on the audio
// path, and the critical sections are a few instructions long.
class LiveObjects {
 public:
  void add(const void* p) {
    Guard g(lock_);
    set_.insert(p);
  }
  void erase(const void* p) {
    Guard g(lock_);
    set_.erase(p);
  }
  bool contains(const void* p) {
    Guard g(lock_);
    return set_.count(p) != 0;
  }
  int size() {
    Guard g(lock_);
    return static_cast<int>(set_.size());
  }
  std::vector<const void*> snapshot() {
    Guard g(lock_);
    return std::vector<const void*>(set_.begin(), set_.end());
  }

 private:
  struct Guard {
    std::atomic_flag& f;
    explicit Guard(std::atomic_flag& flag) : f(flag) {
      while (f.test_and_set(std::memory_order_acquire)) {
      }
    }
    ~Guard() { f.clear(std::memory_order_release); }
  };
  std::atomic_flag lock_ = ATOMIC_FLAG_INIT;
  std::unordered_set<const void*> set_;
};

LiveObjects& liveObjects() {
  static LiveObjects* objects = new LiveObjects;  // never destroyed: objects may outlive static teardown
  return *objects;
}

}  // namespace

ZR_Object::ZR_Object() : descriptor(nullptr), command(nullptr) { liveObjects().add(this); }

ZR_Object::~ZR_Object() { liveObjects().erase(this); }

bool ZR_Object::isLive(const void* p) { return p && liveObjects().contains(p); }

int ZR_Object::liveCount() { return liveObjects().size(); }

void ZR_Object::deleteAll() {
  // Deleting one object may delete others it owns, so re-check each.
  for (const void* p : liveObjects().snapshot())
    if (isLive(p)) delete static_cast<ZR_Object*>(const_cast<void*>(p));
}

ZR_value ZR_Object::m_delete(ZR_Object* self, ZR_value) {
  delete self;
  return ZR_EMPTY;
}

const ZR_param ZR_Object::paramTable[] = {
    {"", nullptr},
    {"delete", ZR_handler_of<ZR_Object, &ZR_Object::m_delete>},
    {nullptr, nullptr},
};

#if defined(__i386__)
static_assert(sizeof(ZR_Chain_Item) == 16, "ZR_Chain_Item is 16 bytes on the 32-bit target");
static_assert(sizeof(ZR_Object) == 12, "ZR_Object: virtual table, descriptor, command");
#endif

ZR_Chain_Item::ZR_Chain_Item(void* d) : prev(nullptr), next(nullptr), data(d), list(nullptr) {}

ZR_Chain::ZR_Chain() : head(nullptr), tail(nullptr), count(0) {
  head.next = &tail;
  tail.prev = &head;
}

void ZR_Chain::insert(ZR_Chain_Item* item, ZR_Chain_Item* before) {
  if (item->list) return;
  item->list = this;
  // A position outside this list would splice two lists together: append instead.
  if (!before || (before != &tail && before->list != this)) before = &tail;
  ZR_Chain_Item* after = before->prev;
  item->prev = after;
  item->next = before;
  after->next = item;
  before->prev = item;
  ++count;
}

void ZR_Chain::remove(ZR_Chain_Item* item) {
  if (item->list != this) return;
  item->prev->next = item->next;
  item->next->prev = item->prev;
  item->list = nullptr;
  --count;
}

ZR_Apptpl::ZR_Apptpl() {}
int ZR_Apptpl::hasChunk() { return 0; }
ZR_value ZR_Apptpl::getState() { return ZR_EMPTY; }
void ZR_Apptpl::setState(ZR_value) {}

void ZR_initall() {}
