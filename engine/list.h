// The doubly linked object list with a sentinel head on which all actor lists live.
//
// Actors remove themselves (and others) while a list is being walked, so a removed link stays valid
// for as long as an enumerator stands on it: it keeps its own successor, and the walk goes on from
// there. The consequences callers rely on:
//  - removing the object just returned is safe (the enumerator already stands on the next link);
//  - an object removed before the walk reaches it is not visited; if the enumerator already stands
//    on its link, the next NextObject returns nullptr and the walk continues with the successor
//    that link had when it was removed;
//  - objects appended during a walk are visited by it, unless the enumerator already stands on the
//    head (appended by the last object's body) or on a removed link whose successor was the head;
//  - after Clear during a walk, no further object is visited.
#pragma once

#include <memory>

template <class T>
class TList;
template <class T>
class TListEnum;

template <class T>
class TLink {
 public:
  const std::shared_ptr<T>& Value() const { return _value; }
  const std::shared_ptr<TLink>& NextLink() const { return _succ; }
  TLink* PrevLink() const { return _pred; }

  // Unlinks this link; it keeps its own successor so that a walk standing on it can go on.
  // Removing it again does nothing: its old neighbours may have moved on since, and joining them
  // anew would put removed links back into the list.
  // The predecessor's pointer may be the last owner of this link, so it is rewired last and nothing
  // of this link is touched after it.
  void Remove() {
    if (_removed) return;
    _removed = true;
    _value.reset();
    std::shared_ptr<TLink> succ = _succ;
    TLink* pred = _pred;
    if (succ) succ->_pred = pred;
    if (pred) pred->_succ = std::move(succ);
  }

 private:
  friend class TList<T>;
  friend class TListEnum<T>;

  std::shared_ptr<T> _value;
  bool _is_head = false;  // the sentinel marks the end of every walk
  bool _removed = false;
  std::shared_ptr<TLink> _succ;
  TLink* _pred = nullptr;
};

template <class T>
class TListEnum {
 public:
  explicit TListEnum(std::shared_ptr<TLink<T>> first) : _link(std::move(first)) {}

  bool HasNext() const { return !_link->_is_head; }

  // The next link's value (nullptr for a link removed while the walk stood on it), and one step on.
  std::shared_ptr<T> NextObject() {
    std::shared_ptr<T> value = _link->_value;
    _link = _link->_succ;
    return value;
  }

 private:
  std::shared_ptr<TLink<T>> _link;
};

template <class T>
class TList {
 public:
  TList() : _head(std::make_shared<TLink<T>>()) {
    _head->_is_head = true;
    _head->_succ = _head;
    _head->_pred = _head.get();
  }
  ~TList() {
    Clear();
    _head->_succ.reset();  // the empty head links to itself; break that cycle
  }
  TList(const TList&) = delete;
  TList& operator=(const TList&) = delete;

  std::shared_ptr<TLink<T>> AddLast(std::shared_ptr<T> value) {
    auto link = std::make_shared<TLink<T>>();
    link->_value = std::move(value);
    TLink<T>* last = _head->_pred;
    link->_succ = _head;
    link->_pred = last;
    last->_succ = link;
    _head->_pred = link.get();
    return link;
  }

  // Removes the first link holding `value` (compared by identity); false when it is not in the
  // list.
  bool Remove(const T* value) {
    for (TLink<T>* link = _head->_succ.get(); !link->_is_head; link = link->_succ.get()) {
      if (link->_value.get() == value) {
        link->Remove();
        return true;
      }
    }
    return false;
  }

  void Clear() {
    while (!_head->_succ->_is_head) _head->_succ->Remove();
  }

  int Count() const {
    int n = 0;
    for (TLink<T>* link = _head->_succ.get(); !link->_is_head; link = link->_succ.get()) ++n;
    return n;
  }

  TListEnum<T> ObjectEnumerator() const { return TListEnum<T>(_head->_succ); }

  // Walks the list with the removal rules above, skipping removed links.
  template <class Body>
  void ForEach(Body&& body) const {
    for (TListEnum<T> e = ObjectEnumerator(); e.HasNext();) {
      if (std::shared_ptr<T> value = e.NextObject()) body(*value);
    }
  }

 private:
  std::shared_ptr<TLink<T>> _head;
};

template <class T>
int CountList(const TList<T>& list) {
  return list.Count();
}
