# melvora_add_test(NAME name [SESSION_BUS] SOURCES a.cpp ... LIBS lib ...)
# One QtTest executable registered with CTest. Every test runs headless on the
# offscreen platform with a private runtime directory, so no display is needed.
# No test reaches the desktop's session bus: SESSION_BUS runs it on a private
# one (dbus-run-session; the test fails when that cannot start), the others
# without any.
function(melvora_add_test)
  cmake_parse_arguments(T "SESSION_BUS" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE Qt6::Test ${T_LIBS})
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(${T_NAME} PRIVATE
    MELVORA_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data")
  if(T_SESSION_BUS)
    add_test(NAME ${T_NAME} COMMAND dbus-run-session -- $<TARGET_FILE:${T_NAME}>)
  else()
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  endif()
  set(runtime "${CMAKE_BINARY_DIR}/test-runtime/${T_NAME}")
  file(MAKE_DIRECTORY "${runtime}")
  file(CHMOD "${runtime}" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES
    TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_RUNTIME_DIR=${runtime};LC_ALL=C.UTF-8"
    ENVIRONMENT_MODIFICATION "DBUS_SESSION_BUS_ADDRESS=unset:")
endfunction()

# melvora_add_real_audio_test(NAME name TARGET exe [TIMEOUT s] [ENVIRONMENT v=x ...])
# A recording test, once on PulseAudio and once on PipeWire (name_pulseaudio,
# name_pipewire), each in a private server started by real_audio_check.sh.
# Run alone: some of its rows keep every core busy, and what they measure is
# the sound, not the other tests.
function(melvora_add_real_audio_test)
  cmake_parse_arguments(T "" "NAME;TARGET;TIMEOUT" "ENVIRONMENT" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  foreach(server pulseaudio pipewire)
    add_test(NAME ${T_NAME}_${server}
      COMMAND bash ${PROJECT_SOURCE_DIR}/tests/player/component/real_audio_check.sh --server ${server}
              $<TARGET_FILE:${T_TARGET}>)
    set_tests_properties(${T_NAME}_${server} PROPERTIES TIMEOUT ${T_TIMEOUT} RUN_SERIAL TRUE
      ENVIRONMENT "LC_ALL=C.UTF-8;${T_ENVIRONMENT}")
  endforeach()
endfunction()
