# Warnings and Qt's strict string defines for the project's code. Included by
# the top-level CMakeLists.txt before any target is made: every target below
# it is the project's own, so the settings are made for the whole tree here.

# The presets CI uses turn this on; a plain configure leaves it off so that a
# newer compiler's new warnings do not stop someone building the program.
option(QUORVIN_WERROR "Treat warnings in the project's code as errors" OFF)

# Qt's headers are system headers (they come from imported targets), so these
# apply to the project's code only.
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
                      -Woverloaded-virtual -Wcast-align)
  if(QUORVIN_WERROR)
    add_compile_options(-Werror)
  endif()
endif()

# Text and bytes, and text and URLs, are converted only where the code says
# how (QStringLiteral, QLatin1String, fromUtf8, QUrl(...)).
add_compile_definitions(QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_CAST_FROM_BYTEARRAY
                        QT_NO_URL_CAST_FROM_STRING)

# What moc and uic write is not the project's to fix. Each target reads its
# generated files (the form header, the .moc files) as system headers, and
# the one file that gathers its moc output is compiled without warnings, so a
# warning in generated code cannot fail a -Werror build. The project's own
# headers that moc reads are still compiled, with warnings, by their .cpp.
# Called once at the end of the top-level CMakeLists.txt, when every target
# exists.
function(quorvin_quiet_generated_code directory)
  get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    get_target_property(automoc ${target} AUTOMOC)
    if(NOT automoc OR NOT type MATCHES "EXECUTABLE|LIBRARY" OR type STREQUAL "INTERFACE_LIBRARY")
      continue()
    endif()
    get_target_property(binary_dir ${target} BINARY_DIR)
    set(autogen ${binary_dir}/${target}_autogen)
    target_include_directories(${target} SYSTEM PRIVATE ${autogen}/include)
    set_source_files_properties(${autogen}/mocs_compilation.cpp TARGET_DIRECTORY ${target}
                                PROPERTIES COMPILE_OPTIONS -w)
  endforeach()
  get_property(subdirectories DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
  foreach(subdirectory ${subdirectories})
    quorvin_quiet_generated_code(${subdirectory})
  endforeach()
endfunction()
