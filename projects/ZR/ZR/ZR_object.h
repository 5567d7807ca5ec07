// The root of every command-created object, the intrusive list used for every
// collection, and the abstract application the plug-in shell drives.
#pragma once

#include "ZR_value.h"

struct ZR_param;

class ZR_EXPORT ZR_Object {
 public:
  ZR_Object();
  virtual ~ZR_Object();

  const ZR_param* descriptor;  // parameter table of the class it was created as
  char* command;               // the command line that created it (not a copy)

  // "-delete": destroys the object (a null object is left alone).
  static ZR_value m_delete(ZR_Object* self, ZR_value v);
  static const ZR_param paramTable[];

  // True while `p` is the address of a live framework object.  The command
  // processor uses it to refuse object addresses written in a command line
  // that name nothing.  Any thread; not for the audio path.
  static bool isLive(const void* p);
  // Deletes every live object (used by tests and the fuzzer to start clean).
  static void deleteAll();
  static int liveCount();
};

class ZR_Chain;

struct ZR_EXPORT ZR_Chain_Item {
  ZR_Chain_Item* prev;
  ZR_Chain_Item* next;
  void* data;
  ZR_Chain* list;

  explicit ZR_Chain_Item(void* data);
};

class ZR_Chain {
 public:
  ZR_Chain_Item head;
  ZR_Chain_Item tail;
  int32_t count;

  ZR_Chain();
  ZR_Chain(const ZR_Chain&) = delete;
  ZR_Chain& operator=(const ZR_Chain&) = delete;

  // Links `item` directly before `before` (at the end when `before` is null).
  // An item that is already in a list is left where it is.
  void insert(ZR_Chain_Item* item, ZR_Chain_Item* before = nullptr);
  // Unlinks `item` if, and only if, it is in this list.
  void remove(ZR_Chain_Item* item);

  ZR_Chain_Item* first() const { return head.next; }
  bool isEnd(const ZR_Chain_Item* item) const { return item == &tail; }
};

// Walks the items of a chain, giving each item's data as T*.
#define ZR_CHAIN_FOR(T, var, chain)                                                             \
  for (ZR_Chain_Item* var##_item = (chain).first(); !(chain).isEnd(var##_item);                 \
       var##_item = var##_item->next)                                                           \
    if (T* var = static_cast<T*>(var##_item->data))

class ZR_Win;

class ZR_EXPORT ZR_Apptpl {
 public:
  ZR_Apptpl();
  virtual ZR_error build() = 0;
  virtual ZR_error attachWindow(ZR_Win* window) = 0;
  virtual ZR_error detachWindow(ZR_Win* window) = 0;
  virtual ZR_error teardown() = 0;
  virtual int hasChunk();
  virtual ZR_value getState();
  virtual void setState(ZR_value state);
};

// The framework's explicit initialiser, run when the module is attached.
extern "C" ZR_EXPORT void ZR_initall();

// The object a handler was given, if it names a live object of class T;
// null otherwise (also for a null value).  Handlers that keep or follow an
// object pointer use it, so an address written in a command line that names
// nothing cannot crash them.
template <class T>
T* ZR_liveAs(const ZR_value& v) {
  void* p = v.asPointer<void>();
  if (!ZR_Object::isLive(p)) return nullptr;
  return dynamic_cast<T*>(static_cast<ZR_Object*>(p));
}
