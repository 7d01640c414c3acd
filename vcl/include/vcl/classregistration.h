// Streaming registration tied to a library's lifetime.
#pragma once

#include <initializer_list>
#include <vector>

#include "vcl/objects.h"

namespace vcl {

// Registers classes for streaming while it lives. A library keeps one as a static object, so that
// form files find its classes from the moment it is loaded and no class of an unloaded library can
// be found afterwards.
class TClassRegistration {
public:
    TClassRegistration(std::initializer_list<TClass> classes) : classes_(classes) {
        for (TClass cls : classes_)
            RegisterClass(cls);
    }
    ~TClassRegistration() {
        for (TClass cls : classes_)
            UnRegisterClass(cls);
    }
    TClassRegistration(const TClassRegistration&) = delete;
    TClassRegistration& operator=(const TClassRegistration&) = delete;

private:
    std::vector<TClass> classes_;
};

}  // namespace vcl
