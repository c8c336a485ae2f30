# Delay-loaded imports. Windows takes a DLL that is not one of its known system
# libraries from the program's own folder first, and the installer runs from a
# download folder where anyone can leave one. Libraries of that kind are loaded
# at their first call instead, after the program has restricted every load to the
# system folder. Their delay-import libraries are made from mingw's import
# libraries when the tree is configured.
function(ovn_delay_import_libs out_var)
  set(dir ${CMAKE_BINARY_DIR}/delayimp)
  file(MAKE_DIRECTORY ${dir})
  set(libs "")
  foreach(name ${ARGN})
    set(out ${dir}/lib${name}_delay.a)
    set(import_lib /usr/${OVN_MINGW_PREFIX}/lib/lib${name}.a)
    if(NOT EXISTS ${out} OR ${import_lib} IS_NEWER_THAN ${out} OR ${CMAKE_CURRENT_FUNCTION_LIST_FILE} IS_NEWER_THAN ${out})
      execute_process(COMMAND ${OVN_MINGW_PREFIX}-nm ${import_lib} OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
      # "__imp_Name" (64-bit) or "__imp__Name@N" (32-bit, stdcall).
      string(REGEX MATCHALL " I __imp__?[A-Za-z0-9_@]+" entries "${symbols}")
      set(def "LIBRARY ${name}.dll\nEXPORTS\n")
      set(seen "")
      foreach(e ${entries})
        if(OVN_MINGW_PREFIX MATCHES "^i686")
          string(REGEX REPLACE "^ I __imp__" "" e "${e}")
        else()
          string(REGEX REPLACE "^ I __imp_" "" e "${e}")
        endif()
        if(NOT e IN_LIST seen)
          list(APPEND seen ${e})
          string(APPEND def "${e}\n")
        endif()
      endforeach()
      file(WRITE ${dir}/${name}.def "${def}")
      execute_process(COMMAND ${OVN_MINGW_PREFIX}-dlltool -k --input-def ${dir}/${name}.def
                              --output-delaylib ${out} --dllname ${name}.dll COMMAND_ERROR_IS_FATAL ANY)
      # Each function's entry in the table starts out pointing at its stub, which
      # loads the library at the first call. The 32-bit linker drops a stub
      # nobody names as unused code (the program calls through the table and
      # never names the stub), and the entry is then left null. Stubs moved into
      # a section that is not marked as code are kept; it still ends up in the
      # program's code.
      execute_process(COMMAND ${OVN_MINGW_PREFIX}-objcopy "--rename-section=.text=.text$delay,contents,alloc,load,readonly,data"
                              ${out} COMMAND_ERROR_IS_FATAL ANY)
    endif()
    list(APPEND libs ${out})
  endforeach()
  list(APPEND libs delayimp)
  set(${out_var} ${libs} PARENT_SCOPE)
endfunction()
