#include "support/temp_folder.h"

#include <fstream>
#include <random>
#include <sstream>

TempFolder::TempFolder() {
    std::random_device random;
    std::error_code error;
    do {
        root = std::filesystem::temp_directory_path() /
               ("zor-test-" + std::to_string(random()) + std::to_string(random()));
    } while (!std::filesystem::create_directory(root, error) && !error);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}

CWStr TempFolder::pathOf(const std::u16string& name) const {
    return CWStr((root / name).u16string().c_str());
}

std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}
