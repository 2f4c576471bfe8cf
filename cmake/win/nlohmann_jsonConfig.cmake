# The host's header-only JSON library for the cross build, through the links that
# cmake/Windows.cmake makes.
set(nlohmann_json_VERSION 3)
if(NOT TARGET nlohmann_json::nlohmann_json)
  if(NOT EXISTS ${AMBREL_HOST_HEADERS}/nlohmann/json.hpp)
    set(nlohmann_json_FOUND FALSE)
    return()
  endif()
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${AMBREL_HOST_HEADERS})
endif()
set(nlohmann_json_FOUND TRUE)
