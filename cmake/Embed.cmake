# ambrel_embed(<target> <symbol> <file>): compiles <file> into <target> as the function
# std::string_view <symbol>(), holding the file's bytes exactly.
function(ambrel_embed target symbol file)
  get_filename_component(abs "${file}" ABSOLUTE)
  set(out "${CMAKE_CURRENT_BINARY_DIR}/embed_${symbol}.cpp")
  add_custom_command(
    OUTPUT "${out}"
    COMMAND ${CMAKE_COMMAND} -DIN=${abs} -DOUT=${out} -DSYMBOL=${symbol}
            -P "${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake"
    DEPENDS "${abs}" "${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake"
    COMMENT "Embedding ${file}"
    VERBATIM)
  target_sources(${target} PRIVATE "${out}")
endfunction()

# ambrel_embed_made(<target> <symbol> <tool> <input> <output name> <comment>): runs the
# build-time program <tool> as `<tool> <input> <output>` and embeds what it writes like
# ambrel_embed does; it runs again when the tool or the input changes.
function(ambrel_embed_made target symbol tool input output_name comment)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/${output_name})
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${tool} ${input} ${output}
    DEPENDS ${tool} ${input}
    COMMENT "${comment}"
    VERBATIM)
  ambrel_embed(${target} ${symbol} ${output})
endfunction()
