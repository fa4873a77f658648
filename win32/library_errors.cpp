// The standard library's own errors: a string or vector grown past its
// limit, a string made from a null pointer, a position past the end, a
// number std::stoi cannot read, memory exhausted. The library raises them
// through these functions, and its own definitions (all in one object, linked
// whole) throw std::length_error and its kin, whose code (with a second,
// reference-counted string type kept for old binaries) would be a seventh of
// the program. These throw the same what() text as a plain std::exception,
// which is what the program's handlers catch (commands/izelvora.h, Dispatch): a
// handler for std::invalid_argument or another of those classes by name would
// not see them. Every function of that object is here, so that it is never
// linked. Linked into the program only; the test programs keep the library's.
#include <cstdarg>
#include <cstddef>
#include <exception>
#include <new>
#include <typeinfo>

namespace {

class LibraryError : public std::exception {
 public:
  explicit LibraryError(const char* text) { Append(text); }
  // The library's formats use only %s, %zu and %%.
  LibraryError(const char* format, va_list args) {
    for (const char* p = format; *p != '\0'; ++p) {
      if (p[0] == '%' && p[1] == 's') {
        Append(va_arg(args, const char*));
        p += 1;
      } else if (p[0] == '%' && p[1] == 'z' && p[2] == 'u') {
        char digits[3 * sizeof(std::size_t)];
        int n = 0;
        for (std::size_t v = va_arg(args, std::size_t); n == 0 || v != 0; v /= 10)
          digits[n++] = static_cast<char>('0' + v % 10);
        while (n > 0) Put(digits[--n]);
        p += 2;
      } else if (p[0] == '%' && p[1] == '%') {
        Put('%');
        p += 1;
      } else {
        Put(*p);
      }
    }
  }
  const char* what() const noexcept override { return text_; }

 private:
  void Put(char c) {
    if (length_ + 1 < sizeof(text_)) text_[length_++] = c;
    text_[length_] = '\0';
  }
  void Append(const char* text) {
    while (*text != '\0') Put(*text++);
  }

  char text_[256] = {};
  std::size_t length_ = 0;
};

}  // namespace

namespace std {

void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_exception() { throw bad_exception(); }
void __throw_bad_typeid() { throw bad_typeid(); }
void __throw_domain_error(const char* text) { throw LibraryError(text); }
void __throw_invalid_argument(const char* text) { throw LibraryError(text); }
void __throw_length_error(const char* text) { throw LibraryError(text); }
void __throw_logic_error(const char* text) { throw LibraryError(text); }
void __throw_out_of_range(const char* text) { throw LibraryError(text); }
void __throw_overflow_error(const char* text) { throw LibraryError(text); }
void __throw_range_error(const char* text) { throw LibraryError(text); }
void __throw_runtime_error(const char* text) { throw LibraryError(text); }
void __throw_underflow_error(const char* text) { throw LibraryError(text); }
void __throw_out_of_range_fmt(const char* format, ...) {
  va_list args;
  va_start(args, format);
  LibraryError error(format, args);
  va_end(args);
  throw error;
}

}  // namespace std
