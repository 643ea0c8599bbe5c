# bash completion of agatdisk: its commands, the options of each, the values of --form,
# --format, --mode and --type, image files (a file of an image form's size or with a bit-stream
# form's extension, and directories)
# where a command takes an image, and other files where it takes a host file. The commands and
# their options are asked of the program itself (its list of commands and each command's
# synopsis), so that they follow the program that is installed.

_agatdisk_image_sizes=" 143360 143364 143488 232960 860160 860164 860288 947520 2068480 860416 "

# Completes COMPREPLY with the directories and the files of an image's size, or named as a WOZ,
# HFE or MFI file (those have no size of their own), that start with $1.
_agatdisk_images() {
  local f size
  while IFS= read -r f; do
    if [[ -d $f ]]; then
      COMPREPLY+=("$f")
    elif size=$(stat -L -c %s -- "$f" 2>/dev/null) && [[ $_agatdisk_image_sizes == *" $size "* ]]; then
      COMPREPLY+=("$f")
    elif [[ ${f,,} == *.woz || ${f,,} == *.hfe || ${f,,} == *.mfi ]]; then
      COMPREPLY+=("$f")
    fi
  done < <(compgen -f -- "$1")
}

_agatdisk() {
  local program=${COMP_WORDS[0]} cur=${COMP_WORDS[COMP_CWORD]}
  local prev=${COMP_WORDS[COMP_CWORD - 1]}
  COMPREPLY=()
  compopt -o filenames 2>/dev/null

  if ((COMP_CWORD == 1)); then
    local commands
    commands=$("$program" --help 2>/dev/null | sed -n 's/^  \([a-z][a-z0-9]*\) .*/\1/p')
    mapfile -t COMPREPLY < <(compgen -W "$commands --help --version" -- "$cur")
    return
  fi

  local command=${COMP_WORDS[1]}
  # The synopsis: "agatdisk convert ИСТОЧНИК НОВЫЙ --form ФОРМА [--description ТЕКСТ]".
  local -a synopsis
  read -r -a synopsis < <("$program" "$command" --help 2>/dev/null | head -n 1)
  ((${#synopsis[@]} > 2)) || return

  # The options, and those that take a value (followed by a placeholder in the synopsis).
  local -a options=(--help) operands=()
  local -A takes_value=()
  local i word next
  for ((i = 2; i < ${#synopsis[@]}; i++)); do
    word=${synopsis[i]#[} next=${synopsis[i + 1]:-}
    if [[ $word == -* ]]; then
      word=${word%]}
      options+=("$word")
      [[ ${synopsis[i]} != *] && -n $next && $next != [[-]* ]] && takes_value[$word]=1 && ((i++))
    else
      operands+=("${word%]}")
    fi
  done
  [[ $command == get || $command == png || $command == export ]] && takes_value[--output]=1
  takes_value[-f]= takes_value[--force]=

  case $prev in
    --form) mapfile -t COMPREPLY < <(compgen -W "dsk140 nib140 woz mfi140 dsk800 nib800 hfe mfi800 emu800" -- "$cur"); return ;;
    --format)
      mapfile -t COMPREPLY < <(compgen -W "auto asis binary komand text basic agawt autograf
          alvgraf bingraf komgraf zxcompgraf zxuncompgraf mgfragm applesingle" -- "$cur")
      return ;;
    --mode)
      mapfile -t COMPREPLY < <(compgen -W "text64n text64i text32 lgr7 mgr hgr apple mgr9
          hgr9" -- "$cur")
      return ;;
    --boot) _agatdisk_images "$cur"; return ;;
    --type) mapfile -t COMPREPLY < <(compgen -W "T I A B S P K D" -- "$cur"); return ;;
    -o | --output) mapfile -t COMPREPLY < <(compgen -f -- "$cur"); return ;;
  esac
  [[ -n ${takes_value[$prev]:-} ]] && return

  if [[ $cur == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W "${options[*]}" -- "$cur")
    return
  fi

  # Which operand the word is: the words before it that are neither options nor their values.
  local position=0 after_dashes=
  for ((i = 2; i < COMP_CWORD; i++)); do
    word=${COMP_WORDS[i]}
    if [[ -z $after_dashes && $word == -- ]]; then
      after_dashes=1
    elif [[ -z $after_dashes && $word == -* ]]; then
      [[ $word != *=* && -n ${takes_value[$word]:-} ]] && ((i++))
    else
      ((position++))
    fi
  done
  local operand=${operands[position]:-${operands[-1]:-}}
  [[ $operand != *... && position -ge ${#operands[@]} ]] && return
  case $operand in
    ОБРАЗ* | ИСТОЧНИК*) _agatdisk_images "$cur" ;;
    ФАЙЛ* | НОВЫЙ*) mapfile -t COMPREPLY < <(compgen -f -- "$cur") ;;
  esac
}

complete -F _agatdisk agatdisk
