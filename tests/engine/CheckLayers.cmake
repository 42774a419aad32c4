# Fails when a layer of the movie engine includes one it must not know: the layers run
# parse -> characters <- display <- render, and script acts on display only (all may use
# video, which uses none of them); drawing
# knows nothing of scripts, and only the engine's top (MovieEngine) sees the parsers.
# Run as: cmake -DENGINE=<src/player/engine> -P CheckLayers.cmake
set(forbidden_video characters parse display render script sound)
set(forbidden_characters parse display render script sound)
set(forbidden_parse display render script)
set(forbidden_display parse render script)
set(forbidden_render parse script)
set(forbidden_script parse render)
set(failures "")
foreach(layer video characters parse display render script)
    file(GLOB_RECURSE files "${ENGINE}/${layer}/*.h" "${ENGINE}/${layer}/*.cpp")
    foreach(file IN LISTS files)
        file(STRINGS "${file}" includes REGEX "^#include \"player/engine/")
        foreach(line IN LISTS includes)
            foreach(other IN LISTS forbidden_${layer})
                if(line MATCHES "player/engine/${other}/")
                    list(APPEND failures "${file}: ${line}")
                endif()
            endforeach()
        endforeach()
    endforeach()
endforeach()
if(failures)
    list(JOIN failures "\n" text)
    message(FATAL_ERROR "engine layers included against their order:\n${text}")
endif()
