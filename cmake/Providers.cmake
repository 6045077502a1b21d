# The live desktops a build can run on. Each is a folder src/providers/NAME whose CMakeLists.txt
# defines the library zerlith_NAME, which defines the provider's registry entry,
# zerlith::registered_providers::NAME() (desktop/provider_registry.hpp).

# zerlith_add_provider(NAME): builds the provider and lists it after those added before it; the
# providers are detected in that order.
function(zerlith_add_provider name)
  add_subdirectory(${PROJECT_SOURCE_DIR}/src/providers/${name})
  set_property(GLOBAL APPEND PROPERTY ZERLITH_PROVIDERS ${name})
endfunction()

# zerlith_add_provider_registry(TARGET): a library whose generated source lists the providers
# added so far, in their order. It names each entry, so the linker keeps every provider.
function(zerlith_add_provider_registry target)
  get_property(names GLOBAL PROPERTY ZERLITH_PROVIDERS)
  set(ZERLITH_PROVIDER_DECLARATIONS "")
  set(ZERLITH_PROVIDER_ENTRIES "")
  set(libraries "")
  foreach(name IN LISTS names)
    string(APPEND ZERLITH_PROVIDER_DECLARATIONS "desktop::Provider ${name}();\n")
    string(APPEND ZERLITH_PROVIDER_ENTRIES "        registered_providers::${name}(),\n")
    list(APPEND libraries zerlith_${name})
  endforeach()
  set(source ${CMAKE_CURRENT_BINARY_DIR}/registered_providers.cpp)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/registered_providers.cpp.in ${source} @ONLY)
  add_library(${target} STATIC ${source})
  target_link_libraries(${target} PUBLIC zerlith_desktop PRIVATE ${libraries})
endfunction()
