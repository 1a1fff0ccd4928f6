# kuvaro_stamp_at_link(<target>): the target's link step first writes and
# compiles a small object holding the current time (cmake/LinkStamp.cmake) and
# links it in, so the build stamp tells when the program file was made. It runs
# only when the target is linked again.
function(kuvaro_stamp_at_link target)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_stamp)
  file(MAKE_DIRECTORY ${dir})
  add_custom_command(TARGET ${target} PRE_LINK
    COMMAND ${CMAKE_COMMAND} -DOUT=${dir}/link_time.cpp -P ${PROJECT_SOURCE_DIR}/cmake/LinkStamp.cmake
    COMMAND ${CMAKE_CXX_COMPILER} -c -fPIE -o ${dir}/link_time.o ${dir}/link_time.cpp
    VERBATIM)
  target_link_options(${target} PRIVATE ${dir}/link_time.o)
endfunction()
