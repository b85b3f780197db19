# nlohmann/json (Debian nlohmann-json3-dev) for nqhost and its tests only, never the plug-in. The headers
# are copied into the build tree, so that the cross compiler never searches the build machine's
# /usr/include, where the native C library's headers live.
find_path(NQ_NLOHMANN_INCLUDE nlohmann/json.hpp PATHS /usr/include /usr/local/include NO_DEFAULT_PATH
          NO_CMAKE_FIND_ROOT_PATH)
if(NOT NQ_NLOHMANN_INCLUDE)
  message(FATAL_ERROR "nlohmann/json.hpp not found: run scripts/setup.sh (package nlohmann-json3-dev)")
endif()
set(NQ_NLOHMANN_COPY ${CMAKE_BINARY_DIR}/third_party/include)
file(REMOVE_RECURSE ${NQ_NLOHMANN_COPY}/nlohmann)
file(COPY ${NQ_NLOHMANN_INCLUDE}/nlohmann DESTINATION ${NQ_NLOHMANN_COPY})
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${NQ_NLOHMANN_INCLUDE}/nlohmann/json.hpp)

add_library(NqJson INTERFACE)
target_include_directories(NqJson SYSTEM INTERFACE ${NQ_NLOHMANN_COPY})
