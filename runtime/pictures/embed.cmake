# Compiles the program's own pictures into it, as a form resource carries its images: each .bmp
# of this folder becomes the bytes returned by ProgramPicture for its base name.
function(embed_program_pictures target)
    file(GLOB pictures CONFIGURE_DEPENDS ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/*.bmp)
    set(arrays "")
    set(lookups "")
    set(index 0)
    foreach(picture IN LISTS pictures)
        get_filename_component(name ${picture} NAME_WE)
        file(READ ${picture} hex HEX)
        string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
        string(REGEX REPLACE "(([^,]*,){16})" "\\1\n    " bytes "${bytes}")
        string(APPEND arrays "const unsigned char picture${index}[] = {\n    ${bytes}\n};\n")
        string(APPEND lookups "    if (name == \"${name}\")\n"
               "        return std::string(reinterpret_cast<const char*>(picture${index}), "
               "sizeof picture${index});\n")
        math(EXPR index "${index} + 1")
    endforeach()
    set(source ${CMAKE_CURRENT_BINARY_DIR}/program_pictures.cpp)
    file(CONFIGURE OUTPUT ${source} CONTENT "// Generated from runtime/pictures: do not edit.
#include \"program_pictures.h\"

namespace {
@arrays@
} // namespace

std::string ProgramPicture(const std::string& name) {
@lookups@    return std::string();
}
" @ONLY)
    target_sources(${target} PRIVATE ${source})
endfunction()
