# The workloads as static m68k Linux programs, for bench/compare_qemu.sh,
# which times them under qemu-m68k beside vellum's guests. Included by
# tests/e2e/CMakeLists.txt where the guests are built: the same compiler
# flags compile the same sources, so both builds run the same code, and the
# guest runtime's own multiply and divide objects are linked in (its TOS
# trap gates come along in systraps.o, never called). No C library, no
# libgcc. The targets are outside the default build; only the one that the
# test of the runtime runs is built with the tests, and only when qemu-m68k
# is installed.
find_program(QEMU_M68K qemu-m68k)
set(M68K_LINUX_DIR ${PROJECT_BINARY_DIR}/bench/m68k-linux)
set(M68K_LINUX_SOURCE_DIR ${PROJECT_SOURCE_DIR}/bench/m68k_linux)
set(M68K_LINUX_CFLAGS ${GUEST_CFLAGS} -DWORKLOAD_M68K_LINUX -I${M68K_LINUX_SOURCE_DIR})
set(M68K_LINUX_HEADERS ${M68K_LINUX_SOURCE_DIR}/linux_rt.h ${GUEST_RUNTIME_DIR}/string_functions.c ${WORKLOAD_DIR}/workload.h)

# Compiles SOURCE into OBJECT_DIR; the object's path goes to OUT_VAR.
function(m68k_linux_object OUT_VAR SOURCE OBJECT_DIR)
  get_filename_component(stem ${SOURCE} NAME_WE)
  set(object ${OBJECT_DIR}/${stem}.o)
  add_custom_command(OUTPUT ${object}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${OBJECT_DIR}
    COMMAND ${M68K_GCC} ${M68K_LINUX_CFLAGS} -c ${SOURCE} -o ${object}
    DEPENDS ${SOURCE} ${M68K_LINUX_HEADERS}
    COMMENT "Building m68k Linux object ${stem}.o"
    VERBATIM)
  set(${OUT_VAR} ${object} PARENT_SCOPE)
endfunction()

m68k_linux_object(M68K_LINUX_RUNTIME ${M68K_LINUX_SOURCE_DIR}/linux_rt.c ${M68K_LINUX_DIR}/runtime)
list(APPEND M68K_LINUX_RUNTIME ${GUEST_BINARY_DIR}/runtime/divide.o
     ${GUEST_BINARY_DIR}/runtime/systraps.o)
# Built once, before any workload links it (as guest_runtime is for guests).
add_custom_target(m68k_linux_runtime DEPENDS ${M68K_LINUX_RUNTIME})
add_dependencies(m68k_linux_runtime guest_runtime)

set(M68K_LINUX_TARGETS)
foreach(workload ${WORKLOADS})
  m68k_linux_object(object ${WORKLOAD_DIR}/${workload}.c ${M68K_LINUX_DIR}/${workload})
  set(program ${M68K_LINUX_DIR}/workload_${workload})
  add_custom_command(OUTPUT ${program}
    COMMAND ${M68K_LD} -static --build-id=none -z noexecstack -o ${program} ${M68K_LINUX_RUNTIME}
            ${object}
    DEPENDS ${M68K_LINUX_RUNTIME} ${object}
    COMMENT "Linking m68k Linux workload_${workload}"
    VERBATIM)
  add_custom_target(m68k_linux_workload_${workload} DEPENDS ${program})
  add_dependencies(m68k_linux_workload_${workload} m68k_linux_runtime)
  list(APPEND M68K_LINUX_TARGETS m68k_linux_workload_${workload})
endforeach()
add_custom_target(m68k_linux_workloads DEPENDS ${M68K_LINUX_TARGETS})
