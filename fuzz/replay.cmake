# Every fuzz target built with the ordinary compiler and run over its seed corpus as a test
# ("fuzz.<target>"), so that the inputs kept there are checked by each test run, under the
# sanitizers too in the asan build.
function(velmora_fuzz_replay target corpus)
    add_executable(${target}_replay ${PROJECT_SOURCE_DIR}/fuzz/${target}.cpp
                   ${PROJECT_SOURCE_DIR}/fuzz/replay_main.cpp)
    target_link_libraries(${target}_replay PRIVATE ${ARGN})
    set_target_properties(${target}_replay PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_test(NAME fuzz.${target} COMMAND ${target}_replay ${PROJECT_SOURCE_DIR}/fuzz/corpus/${corpus})
    set_tests_properties(fuzz.${target} PROPERTIES TIMEOUT 300)
endfunction()

velmora_fuzz_replay(profile_file_fuzzer profile_file velmora_profiles)
velmora_fuzz_replay(net_dns_reply_fuzzer net_dns_reply velmora_net)
velmora_fuzz_replay(net_reply_fuzzer net_reply velmora_net)
velmora_fuzz_replay(net_capabilities_fuzzer net_capabilities velmora_net)
velmora_fuzz_replay(mime_decoder_fuzzer mime_decoder velmora_mime)
velmora_fuzz_replay(mime_lines_fuzzer mime_lines velmora_mime)
velmora_fuzz_replay(store_index_fuzzer store_index velmora_store)
velmora_fuzz_replay(store_private_block_fuzzer store_private_block velmora_store)
velmora_fuzz_replay(addressbook_import_fuzzer addressbook_import velmora_addressbook)
velmora_fuzz_replay(compose_inputs_fuzzer compose_inputs velmora_compose)
velmora_fuzz_replay(compose_reply_fuzzer compose_reply velmora_compose)
velmora_fuzz_replay(text_search_fuzzer text_search velmora_tools)
velmora_fuzz_replay(picture_jpeg_fuzzer picture_jpeg velmora_tools)
find_package(ICU REQUIRED COMPONENTS uc)  # the splitter's check reads characters
velmora_fuzz_replay(spelling_words_fuzzer spelling_words velmora_tools ICU::uc)
