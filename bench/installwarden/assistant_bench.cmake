# The assistant's steady-state CPU per tick and peak memory, on the test build with the
# stand-ins (about 70 s):
#   cmake --build <build> --target bench_assistant
add_custom_target(bench_assistant
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/assistant_bench.sh
          $<TARGET_FILE:installwarden-test> $<TARGET_FILE:fake-host> $<TARGET_FILE:fake-installer>
  DEPENDS installwarden-test fake-host fake-installer fake-launchctl
  USES_TERMINAL
  VERBATIM)
if(TARGET installwarden_assistant)
  add_dependencies(bench_assistant installwarden_assistant)
endif()
