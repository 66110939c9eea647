// Feeds arbitrary bytes to the form reader, as a dropped or chosen file may
// hold anything: no input may crash it, leak or read out of bounds.
#include "formreader/formreader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const formreader::Page page = formreader::ReadForms(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const formreader::Form& form : page.forms)
        for (const formreader::Warning& warning : form.warnings)
            (void)formreader::Describe(warning);
    return 0;
}
