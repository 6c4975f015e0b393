# Writes what the layer check (scripts/check-layers.py) needs to know of the
# build's own targets: each one's type, folder, sources, include folders and
# the libraries it links. Read from CMake's own properties, so the check
# follows the targets wherever their folders move.

function(zt_collect_targets directory out)
    get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
    get_property(subdirectories DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
    foreach(subdirectory IN LISTS subdirectories)
        zt_collect_targets(${subdirectory} nested)
        list(APPEND targets ${nested})
    endforeach()
    set(${out} ${targets} PARENT_SCOPE)
endfunction()

function(zt_json_list out)
    set(items)
    foreach(item IN LISTS ARGN)
        string(REPLACE "\\" "\\\\" item "${item}")
        string(REPLACE "\"" "\\\"" item "${item}")
        list(APPEND items "\"${item}\"")
    endforeach()
    list(JOIN items ", " joined)
    set(${out} "[${joined}]" PARENT_SCOPE)
endfunction()

# zt_write_layer_manifest(<file>): call once every target exists.
function(zt_write_layer_manifest file)
    zt_collect_targets(${PROJECT_SOURCE_DIR} targets)
    set(entries)
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        get_target_property(source_dir ${target} SOURCE_DIR)
        set(fields "\"type\": \"${type}\", \"source_dir\": \"${source_dir}\"")
        foreach(property SOURCES INCLUDE_DIRECTORIES INTERFACE_INCLUDE_DIRECTORIES LINK_LIBRARIES
                INTERFACE_LINK_LIBRARIES)
            get_target_property(values ${target} ${property})
            if(NOT values)
                set(values)
            endif()
            zt_json_list(json ${values})
            string(APPEND fields ", \"${property}\": ${json}")
        endforeach()
        list(APPEND entries "  \"${target}\": {${fields}}")
    endforeach()
    list(JOIN entries ",\n" body)
    file(WRITE ${file} "{\n${body}\n}\n")
endfunction()
