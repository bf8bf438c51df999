// Root of the record classes.
#pragma once

namespace formats {

class CFieldStream;

class CObject {
 public:
  virtual ~CObject() = default;

  template <class T>
  bool IsKindOf() const {
    return dynamic_cast<const T*>(this) != nullptr;
  }

  // Serialisation hook of the root class; records move through Transfer instead.
  virtual void Serialize(CFieldStream&) {}
};

}  // namespace formats
