#pragma once
// A registry decorator that counts the raw calls passing through it, by kind,
// so a benchmark can report how much registry traffic one run makes.
#include <cstdint>
#include <string>

#include "shared/fakes.h"
#include "store/raw_registry.h"

namespace iz::bench {

struct CallCounts {
  std::int64_t open = 0, create = 0, close = 0, set = 0, query = 0, remove = 0;
  std::int64_t Total() const { return open + create + close + set + query + remove; }
};

class CountingRegistry : public test::ForwardingRegistry {
 public:
  using ForwardingRegistry::ForwardingRegistry;
  CallCounts counts;

  long OpenKey(HKey parent, const std::string& subKey, std::uint32_t access,
               HKey* result) override {
    ++counts.open;
    return ForwardingRegistry::OpenKey(parent, subKey, access, result);
  }
  long CreateKey(HKey parent, const std::string& subKey, std::uint32_t access,
                 HKey* result) override {
    ++counts.create;
    return ForwardingRegistry::CreateKey(parent, subKey, access, result);
  }
  long CloseKey(HKey key) override {
    ++counts.close;
    return ForwardingRegistry::CloseKey(key);
  }
  long SetValue(HKey key, const std::string& name, std::uint32_t type, const void* data,
                std::uint32_t size) override {
    ++counts.set;
    return ForwardingRegistry::SetValue(key, name, type, data, size);
  }
  long QueryValue(HKey key, const std::string& name, std::uint32_t* type, void* data,
                  std::uint32_t* size) override {
    ++counts.query;
    return ForwardingRegistry::QueryValue(key, name, type, data, size);
  }
  long DeleteValue(HKey key, const std::string& name) override {
    ++counts.remove;
    return ForwardingRegistry::DeleteValue(key, name);
  }
};

}  // namespace iz::bench
