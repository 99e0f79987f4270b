# Writes a C++ header holding the payload files as constexpr byte arrays, so that their
# lengths are compile-time constants the payload code can check.
#   cmake -DSOURCE_DIR=<install/payload> -DOUTPUT=<header> -P embed_payload.cmake
#
# Each blob is one array; the example blob is the example files back to back, and the length
# of each example file is kept beside it for the example table's compile-time check.

set(blobs
    french_help_bytes help_fr.chm
    english_help_bytes help_en.chm
    library_bytes library.bin
    resident_bytes resident.res
    logo_bytes logo.bmp
    button_bytes button.bmp)
set(example_files SetVantrel.pb GetVantrel.pb)

# Hex text of a file as "0x..," items, 16 to a line.
function(hex_items out file)
    file(READ "${SOURCE_DIR}/${file}" hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," hex "${hex}")
    # CMake's regular expressions have no counted repeats: sixteen items spelled out.
    string(REPEAT "0x..," 16 line)
    string(REGEX REPLACE "(${line})" "\\1\n" hex "${hex}")
    set(${out} "${hex}" PARENT_SCOPE)
endfunction()

set(text "// Generated from install/payload/ by install/embed_payload.cmake: do not edit.\n#pragma once\n\n")
string(APPEND text "namespace install {\nnamespace {\n\n")

list(LENGTH blobs count)
math(EXPR last "${count} - 1")
foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET blobs ${i} name)
    list(GET blobs ${j} file)
    hex_items(items ${file})
    string(APPEND text "// ${file}\nconstexpr unsigned char ${name}[] = {\n${items}};\n\n")
endforeach()

set(items "")
set(lengths "")
foreach(file ${example_files})
    hex_items(part ${file})
    file(SIZE "${SOURCE_DIR}/${file}" size)
    string(APPEND items "// ${file}\n${part}\n")
    string(APPEND lengths "${size}, ")
endforeach()
string(APPEND text "constexpr unsigned char example_bytes[] = {\n${items}};\n\n")
string(JOIN ", " names ${example_files})
string(APPEND text "// Lengths of the example files in example_bytes, in order: ${names}.\n")
string(APPEND text "constexpr int example_file_lengths[] = {${lengths}};\n\n")

string(APPEND text "}  // namespace\n}  // namespace install\n")

# Rewrite only on change, so that the payload code is not recompiled for nothing.
file(CONFIGURE OUTPUT "${OUTPUT}" CONTENT "${text}" @ONLY)
