# Writes a C++ header with one string constant per PHP file, for the safe
# script's functions: run by the build with
#   cmake -DPHP_DIR=dir -DNAMES=page,posted,... -DOUTPUT=header -P EmbedPhp.cmake
# Each file begins with "<?php" and one comment line, which let PHP's own
# tools read it and are left out; the rest becomes the constant byte for byte,
# kPage for page.php.
string(REPLACE "," ";" names "${NAMES}")
set(header "// Made by cmake/EmbedPhp.cmake from ${PHP_DIR}: edit the .php files.\n")
string(APPEND header "#pragma once\n\n#include <string_view>\n\nnamespace scriptgen::safe::blocks {\n")
foreach(name IN LISTS names)
    set(path "${PHP_DIR}/${name}.php")
    file(READ "${path}" text)
    if(NOT text MATCHES "^<\\?php\n//[^\n]*\n")
        message(FATAL_ERROR "${path} must begin with a line <?php and a comment line")
    endif()
    string(LENGTH "${CMAKE_MATCH_0}" opening)
    string(SUBSTRING "${text}" ${opening} -1 text)
    string(FIND "${text}" "\r" carriageReturn)
    string(FIND "${text}" ")php\"" delimiter)
    if(NOT carriageReturn EQUAL -1 OR NOT delimiter EQUAL -1)
        message(FATAL_ERROR "${path} holds a carriage return or )php\", which the constant cannot keep")
    endif()
    string(SUBSTRING "${name}" 0 1 first)
    string(TOUPPER "${first}" first)
    string(SUBSTRING "${name}" 1 -1 rest)
    string(APPEND header "\n// ${name}.php\ninline constexpr std::string_view k${first}${rest} = R\"php(${text})php\";\n")
endforeach()
string(APPEND header "\n} // namespace scriptgen::safe::blocks\n")
file(WRITE "${OUTPUT}" "${header}")
