# nlohmann/json, header only, for the JKF records. The PyPI package nlohmann-json (a
# build requirement in pyproject.toml, and installed by scripts/test) holds the headers
# inside its Python package; Debian's nlohmann-json3-dev, or any directory given as
# KORVAN_JSON_INCLUDE, serves as well. Sets KORVAN_JSON_INCLUDE to the directory that
# holds nlohmann/json.hpp.
function(korvan_find_json)
  if(KORVAN_JSON_INCLUDE AND EXISTS "${KORVAN_JSON_INCLUDE}/nlohmann/json.hpp")
    return()
  endif()
  set(hints "")
  if(NOT Python_EXECUTABLE)
    find_package(Python COMPONENTS Interpreter QUIET)
  endif()
  if(Python_EXECUTABLE)
    # find_spec locates the package without importing it (its __init__ needs more).
    execute_process(
      COMMAND "${Python_EXECUTABLE}" -c
              "import importlib.util as u, os; s = u.find_spec('nlohmann_json'); print(os.path.join(s.submodule_search_locations[0], 'include') if s else '')"
      OUTPUT_VARIABLE from_python OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(from_python)
      list(APPEND hints "${from_python}")
    endif()
  endif()
  unset(KORVAN_JSON_INCLUDE CACHE)
  find_path(KORVAN_JSON_INCLUDE nlohmann/json.hpp HINTS ${hints})
  if(NOT KORVAN_JSON_INCLUDE)
    message(FATAL_ERROR "nlohmann/json.hpp not found: `python3 -m pip install nlohmann-json==3.12.0` "
                        "(or install Debian's nlohmann-json3-dev, or set KORVAN_JSON_INCLUDE)")
  endif()
  message(STATUS "nlohmann/json: ${KORVAN_JSON_INCLUDE}")
endfunction()
