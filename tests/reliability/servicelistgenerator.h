// ServiceListGenerator: hostile Services.ini contents from a fixed seed, so that a failing
// input can be made again from its seed and index. The kinds take turns: random bytes, very
// long lines and values, thousands of sections, the profile syntax's own characters in keys and
// values, bytes above 0x7F, many entries, a BOM, and each of these may lose its final newline.
// Every service name it writes on purpose begins with "zstNo" and names no service.
#ifndef ZSTARTUP_TESTS_RELIABILITY_SERVICELISTGENERATOR_H
#define ZSTARTUP_TESTS_RELIABILITY_SERVICELISTGENERATOR_H

#include <random>
#include <string>

class ServiceListGenerator {
public:
    explicit ServiceListGenerator(unsigned seed) : random_(seed) {}

    // The next file's bytes.
    std::string Next();

private:
    std::string RandomBytes(size_t maxLength);
    std::string MissingName(size_t maxLength);
    std::string LineEnd();
    std::string LongLines();
    std::string ManySections();
    std::string SyntaxCharacters();
    std::string HighBytes();
    std::string ManyEntries();
    size_t Below(size_t bound);

    std::mt19937 random_;
    unsigned produced_ = 0;
};

#endif
