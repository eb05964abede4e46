# Warning and sanitizer flags shared by every target of the project.
add_compile_options(-Wall -Wextra -Wshadow
                    $<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor>)
if(KESTREL_WERROR)
  add_compile_options(-Werror)
endif()
add_link_options(-Wl,--no-undefined)

if(KESTREL_SANITIZE)
  add_compile_options(-fsanitize=${KESTREL_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${KESTREL_SANITIZE})
  # Sanitized shared objects need the runtime from the executable; --no-undefined cannot hold.
  set(CMAKE_SHARED_LINKER_FLAGS "${CMAKE_SHARED_LINKER_FLAGS} -Wl,--allow-shlib-undefined")
endif()
