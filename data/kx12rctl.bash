# Completion of kx12rctl's words in bash: verbs, options, settings files (.kxr) and the serial
# numbers of the readers connected now.
_kx12rctl() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
  local verb="" file="" demo="" index word
  for ((index = 1; index < COMP_CWORD; index++)); do
    word=${COMP_WORDS[index]}
    case $word in
      --demo) demo=--demo ;;
      --serial | --count | --record) ((index++)) ;;
      -*) ;;
      *) if [ -z "$verb" ]; then verb=$word; elif [ -z "$file" ]; then file=$word; fi ;;
    esac
  done
  case $prev in
    --serial)
      local serials
      serials=$("${COMP_WORDS[0]}" $demo list --json 2> /dev/null |
        grep -o '"serial":"[^"]*"' | cut -d'"' -f4)
      COMPREPLY=($(compgen -W "$serials" -- "$cur"))
      return
      ;;
    --record)
      compopt -o filenames 2> /dev/null
      COMPREPLY=($(compgen -f -- "$cur"))
      return
      ;;
    --count)
      COMPREPLY=()
      return
      ;;
  esac
  local options="--demo --help --version"
  case $verb in
    "")
      # The verbs as kx12rctl's own help lists them.
      [[ $cur == -* ]] || options=$("${COMP_WORDS[0]}" --help 2> /dev/null |
        sed -n '/^Команды:/,/^$/p' | grep -oE '^  [a-z]+' | sort -u)
      COMPREPLY=($(compgen -W "$options" -- "$cur"))
      return
      ;;
    list | check | record) options="--json" ;;
    apply) options="--serial --all --each --count --no-verify --record --json" ;;
    compare) options="--serial --all --json" ;;
    save) options="--serial --force --json" ;;
    identify) options="--serial --json" ;;
    watch) options="--serial --count --json" ;;
  esac
  if [[ $cur != -* && -z $file && $verb =~ ^(check|apply|compare|save)$ ]]; then
    # Settings files and the folders that may hold them.
    compopt -o filenames 2> /dev/null
    COMPREPLY=($(compgen -f -X '!*.kxr' -- "$cur") $(compgen -d -- "$cur"))
    return
  fi
  COMPREPLY=($(compgen -W "$options" -- "$cur"))
}
complete -F _kx12rctl kx12rctl
