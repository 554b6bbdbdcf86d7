# zelvora_add_test(NAME <name> SOURCES <files...> [GUI] [DBUS] [LIBS <targets...>] [ENV <VAR=value...>] [TIMEOUT <s>])
#
# One Qt Test executable per class or concern. GUI tests link the GUI library and run on the
# offscreen platform; DBUS tests run inside a private session bus (dbus-run-session). Every test gets
# its own XDG folders under the build tree, so no test touches the user's settings or cache.
function(zelvora_add_test)
  cmake_parse_arguments(T "GUI;DBUS" "NAME;TIMEOUT" "SOURCES;LIBS;ENV" ${ARGN})
  set(target test_${T_NAME})
  add_executable(${target} ${T_SOURCES})
  if(T_GUI)
    target_link_libraries(${target} PRIVATE zelvora_gui)
  else()
    target_link_libraries(${target} PRIVATE zelvora_core)
  endif()
  target_link_libraries(${target} PRIVATE Qt6::Test ${T_LIBS})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests)

  if(T_DBUS)
    find_program(DBUS_RUN_SESSION dbus-run-session REQUIRED)
    add_test(NAME ${T_NAME} COMMAND ${DBUS_RUN_SESSION} -- $<TARGET_FILE:${target}>)
  else()
    add_test(NAME ${T_NAME} COMMAND ${target})
  endif()

  set(home ${CMAKE_BINARY_DIR}/test-home/${T_NAME})
  set(env
    "XDG_CONFIG_HOME=${home}/config"
    "XDG_DATA_HOME=${home}/data"
    "XDG_RUNTIME_DIR=${home}/runtime"
    "ZELVORA_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data"
    "DO_NOT_TRACK=1")
  if(T_GUI)
    list(APPEND env "QT_QPA_PLATFORM=offscreen" "QTWEBENGINE_DISABLE_SANDBOX=1"
         "QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu --no-sandbox")
  endif()
  list(APPEND env ${T_ENV})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${env}" TIMEOUT ${T_TIMEOUT})
  file(MAKE_DIRECTORY ${home}/runtime)
endfunction()
