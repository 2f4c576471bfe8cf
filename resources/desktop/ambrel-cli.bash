# bash completion for ambrel-cli
_ambrel_cli() {
  local cur prev
  cur=${COMP_WORDS[COMP_CWORD]}
  prev=${COMP_WORDS[COMP_CWORD-1]}
  case $prev in
    --save)
      COMPREPLY=($(compgen -d -- "$cur"))
      return ;;
    --jobs|--codec|--fourcc)
      return ;;
    --codec-db)
      COMPREPLY=($(compgen -W 'directshow gstreamer' -- "$cur") $(compgen -f -X '!*.@(xml|XML)' -- "$cur")
                 $(compgen -d -- "$cur"))
      return ;;
    --check-codecdb|--dump-xml|--media-world)
      COMPREPLY=($(compgen -f -X '!*.@(xml|XML|json|JSON)' -- "$cur") $(compgen -d -- "$cur"))
      return ;;
  esac
  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W '--html --log --json --save --summary --jobs --recursive --media-world --no-render
      --filters --system-info --codec --fourcc --codec-db --check-codecdb --dump-xml --help --version' -- "$cur"))
    return
  fi
  local IFS=$'\n'
  COMPREPLY=($(compgen -f -X '!*.@(mkv|mka|mks|webm|MKV|MKA|MKS|WEBM)' -- "$cur") $(compgen -d -- "$cur"))
}
complete -o filenames -F _ambrel_cli ambrel-cli
