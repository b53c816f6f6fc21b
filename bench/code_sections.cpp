#include "code_sections.h"

#include <fstream>
#include <iterator>

#include "pe_image.h"

namespace roadsum::bench {

CodeSections read_code_sections(const std::vector<std::string>& paths) {
    CodeSections out;
    for (const std::string& path : paths) {
        std::ifstream in(path, std::ios::binary);
        std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string error;
        const auto image = PeImage::parse(std::move(file), error);
        if (!image) continue;
        const std::size_t before = out.bytes;
        for (const PeSectionHeader& s : image->sections()) {
            if (!s.is_code()) continue;
            CodeSection section;
            section.address = image->image_base() + s.virtual_address;
            section.bytes.resize(s.virtual_size);
            if (!image->read(section.address, section.bytes.data(), s.virtual_size)) continue;
            out.bytes += section.bytes.size();
            out.sections.push_back(std::move(section));
        }
        if (out.bytes > before) ++out.files;
    }
    return out;
}

}  // namespace roadsum::bench
