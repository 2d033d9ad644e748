#include "io/program_arguments.h"

#include <string>
#include <vector>

#include "io/platform.h"

namespace mevlo {

char** utf8Arguments(int& argc, char** argv) {
    static std::vector<std::string> texts;
    static std::vector<char*> pointers;
    if (!platform::utf8CommandLine(texts) || texts.empty()) return argv;
    pointers.clear();
    for (std::string& text : texts) pointers.push_back(&text[0]);
    pointers.push_back(nullptr);
    argc = static_cast<int>(texts.size());
    return pointers.data();
}

}  // namespace mevlo
